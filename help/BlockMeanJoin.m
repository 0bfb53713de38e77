% BLOCKMEANJOIN  Inverse average-interpolating triadic pyramid transform.
%   X = BlockMeanJoin(WC, L, D) rebuilds a signal from a pyramid in the
%   layout of BlockMeanSplit: starting from the coarse means, each level is
%   predicted by average-interpolating refinement of degree D and the
%   stored differences are added.
%
%   WC  a vector of 2n (or 2n+1, the last value ignored) entries,
%       n = 3^J: its number of columns, or of rows when it has one column.
%   L   the coarse level, truncated toward zero; 1 <= L <= J.
%   D   the refinement degree, truncated toward zero: 0 piecewise
%       constant, 2 quadratic.
%
%   X is a 1 x n row. BlockMeanJoin(BlockMeanSplit(X, L, D), L, D) returns X
%   up to rounding. Its error messages call it CenterJoin.
%
%   Example:
%     x = BlockMeanJoin(BlockMeanSplit(1:27, 1, 2), 1, 2);   % 1:27
%
%   See also BlockMeanSplit, CenterJoin.
