% PACKETJOIN  Sum of the syntheses of a wavelet packet table.
%   Y = PacketJoin(T, H) synthesises every column of a table in the layout
%   of PacketSplit and returns the sum: the adjoint of PacketSplit. To
%   rebuild a signal from one basis, pass a table that is zero outside the
%   packets of that basis.
%
%   T  an n x (D+1) table, n = 2^J rows, 0 <= D <= J (never transposed).
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   Y is a 1 x n row. For an orthonormal filter H,
%   PacketJoin(PacketSplit(X, D, H), H) returns (D+1) * X as a row.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     y = PacketJoin(PacketSplit(1:8, 2, h), h);   % 3 * (1:8)
%
%   See also PacketSplit, ShiftJoin.
