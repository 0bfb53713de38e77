% HALVEDETAIL  One periodized analysis stage: the high-pass half.
%   D = HalveDetail(X, H) filters the signal X periodically with the
%   high-pass filter G, G(j+1) = (-1)^j * H(j+1), and keeps every second
%   value: D(i+1) = sum over j of G(j+1) * X(mod(2*i + 1 - j, n) + 1),
%   i = 0 .. n/2-1.
%
%   X  a row of n values, or a matrix whose first column is the signal
%      (n = its number of rows; further columns are ignored); n = 2^J.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   D is a row of n/2 values for a row X, a column of n/2 values otherwise.
%   Call with one output; the length of X must be a power of two.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     d = HalveDetail([1 2 3 4], h);   % [1 1] / sqrt(2)
%
%   See also GrowDetail, HalveCoarse.
