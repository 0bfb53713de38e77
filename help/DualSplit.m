% DUALSPLIT  Multilevel biorthogonal wavelet transform, symmetric filters.
%   W = DualSplit(X, L, QMF, DQMF) transforms the signal X, or every column
%   of the matrix X, down to the coarse level L with centred periodized
%   filtering: QMF is the analysis low-pass filter, the centred mirror of
%   DQMF the analysis high-pass filter.
%
%   X     a row (one signal of n values) or a matrix of n rows (one signal
%         per column); n = 2^J.
%   L     the coarse level, rounded to the nearest integer; L >= J returns X;
%         L < 0 acts as L = 0.
%   QMF   the analysis low-pass filter, symmetric, of odd length.
%   DQMF  the synthesis low-pass filter, symmetric, of odd length.
%
%   W has the shape of X, in the layout of CircSplit: per signal, W(1:2^L)
%   holds the coarse coefficients and W(2^j+1:2^(j+1)) the details of level
%   j, j = L .. J-1.
%
%   Example:
%     qmf = sqrt(2) * [-1 2 6 2 -1] / 8;  dqmf = sqrt(2) * [1 2 1] / 4;
%     W = DualSplit(1:8, 2, qmf, dqmf);   % sqrt(2) * [2 3 5 8 0 0 0 2]
%
%   See also DualJoin, CircSplit.
