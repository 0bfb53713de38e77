% CIRCJOIN  Inverse multilevel periodized orthogonal wavelet transform.
%   X = CircJoin(WC, L, H) rebuilds the signal, or every column of a
%   matrix, from the coefficients that CircSplit(X, L, H) returns.
%
%   WC  a row (one signal of n values) or a matrix of n rows (one signal
%       per column) in the layout of CircSplit; n = 2^J.
%   L   the coarse level, rounded to the nearest integer; values outside
%       0 .. J act as the nearest end of that range, as in CircSplit.
%   H   the low-pass filter, m values of any shape, taken in storage order.
%
%   X has the shape of WC. For an orthonormal filter H,
%   CircJoin(CircSplit(X, L, H), L, H) returns X up to rounding.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     x = CircJoin([5; 2; 1/sqrt(2); 1/sqrt(2)], 0, h);   % [1; 2; 3; 4]
%
%   See also CircSplit, CircJoin2, GrowCoarse.
