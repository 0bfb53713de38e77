% TRIPLEPREDICT  Linear refinement of a sequence by three.
%   F = TriplePredict(C, D) splits every value of C into three sub-block
%   values. With D = 2 each value is taken as the sample of a quadratic at
%   the centre of its block; the quadratic through the block and its two
%   neighbours (edge blocks: their two inward neighbours) is evaluated at
%   the centres of the three sub-blocks. With D = 0 each value is repeated
%   three times.
%
%   C  a vector of m values: m is the number of columns of C, or of rows
%      when it has one column; the first m stored values are used. D = 2
%      needs m >= 3.
%   D  the refinement degree, truncated toward zero: 0 or 2; any other
%      degree gives zeros.
%
%   F is a 1 x 3m row: F(3i-2:3i) are the three values of C(i), and
%   F(3i-1) = C(i).
%
%   Example:
%     f = TriplePredict([1 2 3], 2);   % (2:10) / 3
%
%   See also CenterPredict.
