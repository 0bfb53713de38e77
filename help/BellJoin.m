% BELLJOIN  Sum of the syntheses of a cosine packet table.
%   Y = BellJoin(T) inverts every level of a table in the layout of
%   BellSplit and returns the sum of their reconstructions. To rebuild a
%   signal from one basis, pass a table that is zero outside that basis.
%   Further arguments are accepted and ignored.
%
%   T  an n x (D+1) table, n = 2^J rows, 0 <= D <= J (never transposed).
%
%   Y is a 1 x n row. BellJoin of a BellSplit table with D+1 columns returns
%   (D+1) times the signal; of a table whose only non-zero column is d+1,
%   the signal itself.
%
%   The sines of the bell and of the cosine transform's tables are
%   correctly rounded, so Y is the same doubles on every machine and
%   with every C library.
%
%   Example:
%     x = cos((0:15) / 3);
%     y = BellJoin(BellSplit(x, 2, 0));   % 3 * x
%
%   See also BellSplit, TrigC4.
