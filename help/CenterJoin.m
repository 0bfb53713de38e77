% CENTERJOIN  Inverse median-interpolating triadic pyramid transform.
%   X = CenterJoin(WC, L, D) rebuilds a signal from its median-interpolating
%   pyramid: starting from the coarse values, each level is predicted by
%   CenterPredict of degree D and the stored differences are added.
%
%   WC  a vector of 2n (or 2n+1, the last value ignored) entries,
%       n = 3^J: its number of columns, or of rows when it has one column.
%       Layout as in BlockMeanSplit: WC(1:3^L) the level-L values times
%       s(L), WC(3^b+1:2*3^b) the differences of level b times s(b),
%       s(b) = 3^((J-b)/2).
%   L   the coarse level, truncated toward zero; 1 <= L <= J.
%   D   the refinement degree, truncated toward zero: 0 piecewise
%       constant, 2 median-interpolating.
%
%   X is a 1 x n row.
%
%   Example:
%     x = CenterJoin([sqrt(3) * [1 1 1], zeros(1, 15)], 1, 2);   % ones(1, 9)
%
%   See also CenterPredict, BlockMeanJoin.
