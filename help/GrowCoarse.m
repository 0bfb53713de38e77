% GROWCOARSE  One periodized synthesis stage from low-pass coefficients.
%   Y = GrowCoarse(A, H) places the n values of A on the even places of a
%   periodic sequence of 2n values and filters it with the low-pass filter
%   H: the adjoint of HalveCoarse.
%
%   A  a row of n values, or a matrix whose first column is used
%      (n = its number of rows); n = 2^J, n = 1 included.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   Y is a row of 2n values for a row A, a column of 2n values otherwise.
%   For an orthonormal filter H,
%   GrowCoarse(HalveCoarse(X, H), H) + GrowDetail(HalveDetail(X, H), H)
%   returns X.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     y = GrowCoarse([3 7] / sqrt(2), h);   % [1.5 1.5 3.5 3.5]
%
%   See also HalveCoarse, GrowDetail.
