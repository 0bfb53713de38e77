% CIRCSPLIT  Multilevel periodized orthogonal wavelet transform.
%   WC = CircSplit(X, L, H) transforms the signal X, or every column of the
%   matrix X, from the finest level J-1 down to the coarse level L with the
%   orthonormal low-pass filter H (and its mirror as high-pass filter).
%
%   X  a row (one signal of n values) or a matrix of n rows (one signal per
%      column); n = 2^J.
%   L  the coarse level, rounded to the nearest integer; 2^L coarse
%      coefficients remain. L >= J returns X; L < 0 acts as L = 0.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   WC has the shape of X. Layout of each signal (1-based):
%     WC(1 : 2^L)               coarse coefficients of level L
%     WC(2^j+1 : 2^(j+1))       details of level j, j = L .. J-1
%   The finest details (level J-1) fill the second half.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     wc = CircSplit([1; 2; 3; 4], 0, h);   % [5; 2; 0.7071; 0.7071]
%
%   See also CircJoin, CircSplit2, HalveCoarse.
