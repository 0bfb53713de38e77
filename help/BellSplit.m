% BELLSPLIT  Cosine packet table with sine bells.
%   T = BellSplit(X, D, BELL) cuts the signal X, for every level d = 0 .. D,
%   into 2^d blocks, folds each block with its neighbours under a sine bell
%   and applies the orthonormal type-IV cosine transform (TrigC4) to it.
%   Every level is computed from X itself.
%
%   X     a row of n values, or a matrix whose first column is the signal
%         (n = its number of rows); n = 2^J.
%   D     the depth: D + 0.5 truncated toward zero; 0 <= D <= J.
%   BELL  the choice of bell; not read: the sine bell is always used.
%
%   T is an n x (D+1) table. Column d+1 holds 2^d blocks of f = n/2^d
%   values, block i (rows i*f+1 .. (i+1)*f) being the cosine coefficients of
%   time segment i. The bell overlaps each block by n/2^(D+1) places on
%   each side (none when D = J); the two ends of the signal are folded
%   without a bell. Every column has the sum of squares of X.
%
%   The sines of the bell and of the cosine transform's tables are
%   correctly rounded, so T is the same doubles on every machine and
%   with every C library.
%
%   Example:
%     T = BellSplit(cos((0:15) / 3), 2, 0);   % size(T) = [16 3]
%
%   See also BellJoin, TrigC4.
