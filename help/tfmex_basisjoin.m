function x = tfmex_basisjoin(basis, coef, h, D)
% TFMEX_BASISJOIN  Rebuild a signal from the coefficients of one basis.
%   X = tfmex_basisjoin(BASIS, COEF, H) rebuilds the signal from a wavelet
%   packet basis of a PacketSplit table made with the filter H: it places
%   the coefficients in an otherwise zero table and calls PacketJoin.
%   X = tfmex_basisjoin(BASIS, COEF, 'bell', D) does the same for a cosine
%   packet basis of a BellSplit table of depth D with BellJoin (the bells
%   overlap by n/2^(D+1) samples, so D must be the table's depth).
%
%   BASIS  K x 2, one row [d k] per block (column d+1 of the table, block
%          k counted from 0), in the order of the table's rows, as
%          tfmex_bestbasis returns it. The blocks must cover the n rows of
%          the table exactly once.
%   COEF   the n coefficients, block after block.
%
%   X is a 1 x n row, as PacketJoin and BellJoin return it. For an
%   orthonormal H and a basis of the table of X, X comes back up to rounding.
%
%   The C++ library's tfmex::packet_basis_join and tfmex::bell_basis_join
%   (tfmex/analysis.hpp) give the same doubles.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     x = randn(1, 64);
%     [basis, coef] = tfmex_bestbasis(PacketSplit(x, 3, h));
%     y = tfmex_basisjoin(basis, coef, h);   % y = x
%
%   See also tfmex_bestbasis, PacketJoin, BellJoin.
  if nargin < 3
    error('tfmex_basisjoin: BASIS, COEF and H (or ''bell'', D) are required');
  end
  n = numel(coef);
  J = round(log2(n));
  if ~(isnumeric(coef) && isreal(coef) && n >= 1 && 2^J == n)
    error('tfmex_basisjoin: COEF must hold n = 2^J real values');
  end
  if ~(isnumeric(basis) && isreal(basis) && ndims(basis) == 2 && size(basis, 2) == 2 && ...
       size(basis, 1) >= 1 && all(basis(:) == round(basis(:))) && all(basis(:) >= 0))
    error('tfmex_basisjoin: BASIS must be a K x 2 matrix of [d k] rows of integers >= 0');
  end
  d = basis(:, 1);
  k = basis(:, 2);
  if any(d > J) || any(k >= 2 .^ d)
    error('tfmex_basisjoin: BASIS names a block outside a table of %d rows', n);
  end
  % The blocks, in order, must tile rows 0 .. n-1 without gap or overlap.
  len = n ./ 2 .^ d;
  first = k .* len;
  if first(1) ~= 0 || any(first(2:end) ~= first(1:end-1) + len(1:end-1)) || ...
     first(end) + len(end) ~= n
    error('tfmex_basisjoin: the blocks of BASIS must cover the %d rows once, in order', n);
  end

  bell = ischar(h) && strcmpi(h, 'bell');
  if bell
    if nargin < 4 || ~(isscalar(D) && isreal(D) && D == round(D) && D >= max(d) && D <= J)
      error('tfmex_basisjoin: ''bell'' needs the depth D of the table, max(d) <= D <= %d', J);
    end
  elseif ischar(h)
    error('tfmex_basisjoin: the third argument is a filter or ''bell''');
  else
    D = max(d);
  end
  T = zeros(n, D + 1);
  coef = double(coef(:));
  for b = 1:numel(d)
    T(first(b)+1:first(b)+len(b), d(b)+1) = coef(first(b)+1:first(b)+len(b));
  end
  if bell
    x = BellJoin(T);
  else
    x = PacketJoin(T, h);
  end
end
