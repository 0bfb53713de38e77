% HALVECOARSE  One periodized analysis stage: the low-pass half.
%   A = HalveCoarse(X, H) filters the signal X periodically with the
%   low-pass filter H and keeps every second value:
%   A(i+1) = sum over j of H(j+1) * X(mod(2*i + j, n) + 1), i = 0 .. n/2-1.
%
%   X  a row of n values, or a matrix whose first column is the signal
%      (n = its number of rows; further columns are ignored); n = 2^J.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   A is a row of n/2 values for a row X, a column of n/2 values otherwise.
%   Call with one output; the length of X must be a power of two.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     a = HalveCoarse([1 2 3 4], h);   % [3 7] / sqrt(2)
%
%   See also GrowCoarse, HalveDetail.
