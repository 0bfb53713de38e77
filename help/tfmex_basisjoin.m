function x = tfmex_basisjoin(basis, coef, h, D)
% TFMEX_BASISJOIN  Rebuild a signal from the coefficients of one basis.
%   X = tfmex_basisjoin(BASIS, COEF, H) rebuilds the signal from a wavelet
%   packet basis of a PacketSplit table made with the filter H: it places
%   the coefficients in an otherwise zero table and calls PacketJoin.
%   X = tfmex_basisjoin(BASIS, COEF, 'bell', D) does the same for a cosine
%   packet basis of a BellSplit table of depth D with BellJoin (the bells
%   overlap by n/2^(D+1) samples, so D must be the table's depth).
%
%   BASIS  the basis tfmex_bestbasis returns, or its K x 2 rows alone, one
%          row [d k] per block (column d+1 of the table, block k counted
%          from 0), in the order of the table's rows. The blocks must cover
%          the n rows of the table exactly once. A basis that records its
%          kind and depth is rebuilt only as that kind and with that depth
%          (D may then be omitted).
%   H      the filter, or its short name ('haar', 'dbN', 'symN', 'coifN').
%
%   A refusal names the argument, with the identifier
%   tfmex:basisjoin:<reason> (class, size, nonfinite, basis, cover, kind,
%   depth, filter, integer, range, nargin).
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
    tfmex_fail('basisjoin', 'nargin', 'BASIS, COEF and H (or ''bell'', D) are required');
  end
  if isnumeric(coef) && ~isreal(coef)
    tfmex_fail('basisjoin', 'class', 'COEF must hold n = 2^J real values, got complex values');
  end
  coef = tfmex_check_signal('basisjoin', 'COEF', coef, 'n = 2^J real values');
  n = numel(coef);
  J = round(log2(n));
  if 2^J ~= n
    tfmex_fail('basisjoin', 'size', 'COEF must hold n = 2^J real values, got %d', n);
  end
  [blocks, kind, depth] = tfmex_check_basis('basisjoin', basis, n);
  d = blocks(:, 1);
  k = blocks(:, 2);
  len = n ./ 2 .^ d;
  first = k .* len;

  bell = ischar(h) && strcmpi(h, 'bell');
  if bell
    if strcmp(kind, 'packet')
      tfmex_fail('basisjoin', 'kind', 'BASIS is a wavelet packet basis: rebuild it with its filter H, not ''bell''');
    end
    if nargin < 4
      if isempty(depth)
        tfmex_fail('basisjoin', 'depth', '''bell'' needs the depth D of the table, max(d) <= D <= %d', J);
      end
      D = depth;
    end
    D = tfmex_check_number('basisjoin', 'the depth D', D, max(d), J, 'integer');
    if ~isempty(depth) && D ~= depth
      tfmex_fail('basisjoin', 'depth', ['BASIS comes from a cosine packet table of depth %d; ' ...
                 'the depth D %d would rebuild another signal'], depth, D);
    end
  else
    if strcmp(kind, 'bell')
      tfmex_fail('basisjoin', 'kind', 'BASIS is a cosine packet basis: rebuild it with ''bell'', not a filter');
    end
    if nargin > 3
      tfmex_fail('basisjoin', 'nargin', 'a wavelet packet basis takes its filter H and no depth');
    end
    h = tfmex_check_filter('basisjoin', 'the third argument (a filter or ''bell'')', h);
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
