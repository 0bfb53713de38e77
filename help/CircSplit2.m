% CIRCSPLIT2  Two-dimensional periodized orthogonal wavelet transform.
%   W = CircSplit2(X, L, H) transforms the square image X down to the coarse
%   level L. Each stage filters every column, then every row, of the active
%   top-left block with H (low-pass) and its mirror (high-pass), and the
%   block then shrinks to its low-low quarter.
%
%   X  an n x n matrix, n = 2^J.
%   L  the coarse level, rounded to the nearest integer; L >= J returns X.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   W is n x n. W(1:2^L, 1:2^L) holds the coarse block; for each level j
%   from L to J-1, with k = 2^j, three k x k detail blocks lie beside the
%   top-left k x k block: W(1:k, k+1:2k) high-pass along the rows,
%   W(k+1:2k, 1:k) high-pass down the columns, W(k+1:2k, k+1:2k) both.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     W = CircSplit2([1 2; 3 4], 0, h);   % [5 1; 2 0]
%
%   See also CircJoin2, CircSplit.
