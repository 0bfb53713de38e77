% TRIGC2  Orthonormal discrete cosine transform of type II.
%   Y = TrigC2(X) returns, for k = 0 .. n-1,
%   Y(k+1) = sqrt(2/n) * c(k) * sum over m of X(m+1) * cos(pi*(2m+1)*k/(2n)),
%   with c(0) = 1/sqrt(2) and c(k) = 1 otherwise.
%
%   X  a row or column of n = 2^J values; of a matrix with several rows
%      the first column is used.
%
%   Y has the shape of X (for a matrix, the first column holds the
%   transform and every other value is 0). TrigC3 is its inverse.
%
%   The sines and cosines in the transform's tables are correctly
%   rounded, so Y is the same doubles on every machine and with every
%   C library.
%
%   Example:
%     y = TrigC2([1 1 1 1]);   % [2 0 0 0]
%
%   See also TrigC3, TrigS2, TrigC4.
