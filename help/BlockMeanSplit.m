% BLOCKMEANSPLIT  Average-interpolating triadic pyramid transform.
%   WC = BlockMeanSplit(X, L, D) replaces, level by level, every three
%   neighbouring values by their mean, predicts the finer level from these
%   means by average-interpolating refinement of degree D, and keeps the
%   differences between the true values and their prediction.
%
%   X  a vector of n = 3^J values: n is the number of columns of X, or its
%      number of rows when it has one column; the first n stored values
%      are used.
%   L  the coarse level, truncated toward zero; 1 <= L < J. 3^L coarse
%      means remain.
%   D  the refinement degree, truncated toward zero: 0 piecewise constant,
%      2 quadratic.
%
%   WC is a 1 x 2n row, scale s(b) = 3^((J-b)/2) (1-based positions):
%     WC(1 : 3^L)             the coarse means of level L, times s(L)
%     WC(3^b+1 : 2*3^b)       the differences of level b, times s(b),
%                             b = L+1 .. J (level J fills WC(n+1:2n))
%   Every other entry is zero. Its error messages call it CenterSplit.
%
%   Example:
%     wc = BlockMeanSplit(1:9, 1, 0);   % wc(1:3) = sqrt(3) * [2 5 8]
%
%   See also BlockMeanJoin, CenterJoin.
