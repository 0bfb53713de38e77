% SHIFTSPLIT  Translation-invariant periodized wavelet table.
%   T = ShiftSplit(X, L, H) splits the signal X from level J down to the
%   coarse level L, filtering every block at every stage twice: as it is
%   and after a circular shift by one sample to the right. After d stages
%   the table holds the coefficients of all 2^d shift paths.
%
%   X  a row of n values, or a matrix whose first column is the signal
%      (n = its number of rows); n = 2^J.
%   L  the coarse level, rounded to the nearest integer; 0 <= L <= J.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   T is an n x (D+1) table, D = J - L. Column d+1 (d = 1 .. D) holds 2^d
%   blocks of n/2^d values: block b (rows b*n/2^d+1 .. (b+1)*n/2^d) holds
%   the details of stage d along the shift path numbered b (the first
%   stage's shift is the most significant bit; 1 = shifted). Column 1 holds
%   the 2^D coarse blocks in the same order. With D = 0, T is X as a column.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     T = ShiftSplit(1:8, 2, h);   % size(T) = [8 2]
%
%   See also ShiftJoin, CircSplit.
