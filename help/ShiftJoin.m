% SHIFTJOIN  Inverse of the translation-invariant wavelet table.
%   Y = ShiftJoin(T, H) rebuilds a signal from a table in the layout of
%   ShiftSplit, stage by stage from the coarsest: every block is rebuilt
%   from both of its shift branches (the shifted one shifted back) and the
%   two are averaged.
%
%   T  an n x (D+1) table, n = 2^J rows, 0 <= D <= J (never transposed).
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   Y is a 1 x n row. For an orthonormal filter H,
%   ShiftJoin(ShiftSplit(X, L, H), H) returns X (as a row) up to rounding.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     y = ShiftJoin(ShiftSplit(1:8, 1, h), h);   % 1:8
%
%   See also ShiftSplit, CircJoin.
