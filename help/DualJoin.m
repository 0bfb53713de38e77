% DUALJOIN  Inverse multilevel biorthogonal wavelet transform.
%   Y = DualJoin(W, L, QMF, DQMF) rebuilds the signal, or every column of a
%   matrix, from coefficients in the layout of DualSplit: DQMF is the
%   synthesis low-pass filter, the centred mirror of QMF the synthesis
%   high-pass filter.
%
%   W     a row (one signal of n values) or a matrix of n rows (one signal
%         per column); n = 2^J.
%   L     the coarse level, rounded to the nearest integer; 0 <= L <= J.
%   QMF   the analysis low-pass filter, symmetric, of odd length.
%   DQMF  the synthesis low-pass filter, symmetric, of odd length.
%
%   Y has the shape of W. DualJoin(DualSplit(X, L, QMF, DQMF), L, QMF, DQMF)
%   returns X up to rounding for a biorthogonal pair.
%
%   Example:
%     qmf = sqrt(2) * [-1 2 6 2 -1] / 8;  dqmf = sqrt(2) * [1 2 1] / 4;
%     y = DualJoin(DualSplit(1:8, 2, qmf, dqmf), 2, qmf, dqmf);   % 1:8
%
%   See also DualSplit, CircJoin.
