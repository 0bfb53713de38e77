% CIRCJOIN2  Inverse two-dimensional periodized orthogonal wavelet transform.
%   X = CircJoin2(W, L, H) rebuilds the square image from the coefficients
%   that CircSplit2(X, L, H) returns; each stage undoes the rows, then the
%   columns.
%
%   W  an n x n matrix in the layout of CircSplit2, n = 2^J.
%   L  the coarse level, rounded to the nearest integer; L >= J returns W.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   X is n x n. For an orthonormal filter H,
%   CircJoin2(CircSplit2(X, L, H), L, H) returns X up to rounding.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     X = CircJoin2(CircSplit2(magic(4), 1, h), 1, h);   % magic(4)
%
%   See also CircSplit2, CircJoin.
