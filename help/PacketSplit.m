% PACKETSPLIT  Periodized wavelet packet table.
%   T = PacketSplit(X, D, H) splits the signal X into all wavelet packets of
%   stages 0 .. D: every packet of one stage is split into a low-pass and a
%   high-pass half with H and its mirror.
%
%   X  a row of n values, or a matrix whose first column is the signal
%      (n = its number of rows); n = 2^J.
%   D  the depth, rounded to the nearest integer; 0 <= D <= J.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   T is an n x (D+1) table. Column d+1 holds the 2^d packets of stage d,
%   n/2^d values each, packet k in rows k*n/2^d+1 .. (k+1)*n/2^d. Column 1
%   is X. Packet j of stage d-1 has its low-pass child at packet
%   2j + mod(j,2) and its high-pass child at packet 2j + 1 - mod(j,2) of
%   stage d (children of odd parents are swapped), so stage 2 runs
%   Lo Lo, Lo Hi, Hi Hi, Hi Lo.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     T = PacketSplit(1:8, 2, h);   % T(:,3) = [5 13 2 2 0 0 1 1]'
%
%   See also PacketJoin, ShiftSplit.
