% TRIGS2  Orthonormal discrete sine transform of type II.
%   Y = TrigS2(X) returns, for k = 0 .. n-1,
%   Y(k+1) = sqrt(2/n) * d(k) * sum over m of X(m+1) * sin(pi*(2m+1)*(k+1)/(2n)),
%   with d(n-1) = 1/sqrt(2) and d(k) = 1 otherwise.
%
%   X  a row or column of n = 2^J values; of a matrix with several rows
%      the first column is used.
%
%   Y has the shape of X (for a matrix, the first column holds the
%   transform and every other value is 0). TrigS3 is its inverse.
%
%   The sines and cosines in the transform's tables are correctly
%   rounded, so Y is the same doubles on every machine and with every
%   C library.
%
%   Example:
%     y = TrigS2([1 1]);   % [sqrt(2) 0]
%
%   See also TrigS3, TrigC2.
