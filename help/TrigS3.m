% TRIGS3  Orthonormal discrete sine transform of type III.
%   X = TrigS3(Y) returns, for m = 0 .. n-1,
%   X(m+1) = sqrt(2/n) * sum over k of d(k) * Y(k+1) * sin(pi*(2m+1)*(k+1)/(2n)),
%   with d(n-1) = 1/sqrt(2) and d(k) = 1 otherwise: the inverse of TrigS2.
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
%     x = TrigS3(TrigS2(1:8));   % 1:8
%
%   See also TrigS2, TrigC3.
