% TRIGC4  Orthonormal discrete cosine transform of type IV.
%   Y = TrigC4(X) returns, for j = 0 .. n-1,
%   Y(j+1) = sqrt(2/n) * sum over i of X(i+1) * cos(pi*(2i+1)*(2j+1)/(4n)).
%   The transform is its own inverse. Its error messages call it TRIGC4.
%
%   X  a row or column of n = 2^J values; of a matrix with several rows
%      the first column is used.
%
%   Y has the shape of X (for a matrix, the first column holds the
%   transform and every other value is 0).
%
%   The sines its twiddle factors start from are correctly rounded, so
%   Y is the same doubles on every machine and with every C library.
%
%   Example:
%     x = TrigC4(TrigC4(1:8));   % 1:8
%
%   See also TrigC2, BellSplit.
