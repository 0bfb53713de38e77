% GROWDETAIL  One periodized synthesis stage from high-pass coefficients.
%   Y = GrowDetail(D, H) places the n values of D on a periodic sequence of
%   2n values and filters it with the high-pass filter G,
%   G(j+1) = (-1)^j * H(j+1): the adjoint of HalveDetail.
%
%   D  a row of n values, or a matrix whose first column is used
%      (n = its number of rows); n = 2^J, n = 1 included.
%   H  the low-pass filter, m values of any shape, taken in storage order.
%
%   Y is a row of 2n values for a row D, a column of 2n values otherwise.
%   For an orthonormal filter H,
%   GrowCoarse(HalveCoarse(X, H), H) + GrowDetail(HalveDetail(X, H), H)
%   returns X.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     y = GrowDetail([1 1] / sqrt(2), h);   % [-0.5 0.5 -0.5 0.5]
%
%   See also HalveDetail, GrowCoarse.
