% CENTERPREDICT  Median-interpolating refinement of a sequence by three.
%   F = CenterPredict(C, D) splits every value of C (the median of a block)
%   into three sub-block values. With D = 2 they are the medians over the
%   sub-blocks of the quadratic whose medians over the block and its two
%   neighbours are the given values (edge blocks use their two inward
%   neighbours); with D = 0 each value is repeated three times.
%
%   C  a vector of m values: m is the number of columns of C, or of rows
%      when it has one column; the first m stored values are used. D = 2
%      needs m >= 3.
%   D  the refinement degree, truncated toward zero: 0 or 2; any other
%      degree gives zeros.
%
%   F is a 1 x 3m row: F(3i-2:3i) are the three sub-block values of C(i).
%
%   Example:
%     f = CenterPredict([1 2], 0);   % [1 1 1 2 2 2]
%
%   See also CenterJoin, TriplePredict.
