% TRIGC3  Orthonormal discrete cosine transform of type III.
%   X = TrigC3(Y) returns, for m = 0 .. n-1,
%   X(m+1) = sqrt(2/n) * sum over k of c(k) * Y(k+1) * cos(pi*(2m+1)*k/(2n)),
%   with c(0) = 1/sqrt(2) and c(k) = 1 otherwise: the inverse of TrigC2.
%
%   Y  a row or column of n = 2^J values; of a matrix with several rows
%      the first column is used.
%
%   X has the shape of Y (for a matrix, the first column holds the
%   transform and every other value is 0).
%
%   The sines and cosines in the transform's tables are correctly
%   rounded, so Y is the same doubles on every machine and with every
%   C library.
%
%   Example:
%     x = TrigC3([2 0 0 0]);   % [1 1 1 1]
%
%   See also TrigC2, TrigS3.
