function ok = tfmex_checkfilter(h, kind, partner)
% TFMEX_CHECKFILTER  Check a filter before a plug-in takes it.
%   OK = tfmex_checkfilter(H) checks the orthonormal low-pass filter H that
%   HalveCoarse, CircSplit, ShiftSplit, PacketSplit and their inverses take:
%   it warns (identifier 'tfmex:filter') when H is empty, not real and
%   finite, not of unit norm, or not orthogonal to its even translates,
%     sum over k of H(k) * H(k+2j) = 1 for j = 0 and 0 otherwise,
%   to 1e-10 relative to the norm. The plug-ins take any filter and
%   reconstruct exactly only with such a filter.
%
%   OK = tfmex_checkfilter(H, 'dual') checks a filter of DualSplit and
%   DualJoin: it is an error (identifier tfmex:checkfilter:filter) unless H is real,
%   finite, of odd length and symmetric about its centre.
%   OK = tfmex_checkfilter(QMF, 'dual', DQMF) checks both filters so, and
%   warns unless they are a biorthogonal pair about their centres,
%     sum over k of QMF(k) * DQMF(k+2j) = 1 for j = 0 and 0 otherwise,
%   to 1e-10 relative, k counted from each filter's centre.
%
%   OK is true when no warning was given. Row, column or any shape: the
%   values are taken in storage order, as the plug-ins take them.
%
%   Example:
%     ok = tfmex_checkfilter([1 1] / sqrt(2));   % 1
%     w = warning('off', 'tfmex:filter');
%     bad = tfmex_checkfilter([1 1] / 2);        % 0
%     warning(w);
%
%   See also tfmex_filter, tfmex_dualfilter, CircSplit, DualSplit.

  if nargin < 1 || nargin > 3
    tfmex_fail('checkfilter', 'nargin', 'call as tfmex_checkfilter(H), (H, ''dual'') or (QMF, ''dual'', DQMF)');
  end
  if nargin == 1
    ok = check_orthonormal(h);
    return;
  end
  if ~ischar(kind) || ~strcmpi(kind, 'dual')
    tfmex_fail('checkfilter', 'kind', 'the second argument must be ''dual''');
  end
  check_symmetric(h, 'QMF');
  ok = true;
  if nargin == 3
    check_symmetric(partner, 'DQMF');
    ok = check_pair(h(:), partner(:));
  end
end

function ok = check_orthonormal(h)
  ok = false;
  if ~isnumeric(h) || ~isreal(h) || isempty(h)
    warning('tfmex:filter', 'tfmex_checkfilter: the filter is empty or not a real array');
    return;
  end
  h = double(h(:));
  if ~all(isfinite(h))
    warning('tfmex:filter', 'tfmex_checkfilter: the filter has NaN or Inf values');
    return;
  end
  nrm2 = sum(h .^ 2);
  if abs(nrm2 - 1) > 1e-10
    warning('tfmex:filter', ['tfmex_checkfilter: the filter has norm %.17g, not 1; ' ...
            'the transforms will not reconstruct'], sqrt(nrm2));
    return;
  end
  m = numel(h);
  for j = 1:floor((m - 1) / 2)
    c = sum(h(1:m-2*j) .* h(2*j+1:m));
    if abs(c) > 1e-10
      warning('tfmex:filter', ['tfmex_checkfilter: the filter is not orthogonal to its ' ...
              'translate by %d (inner product %.3g); the transforms will not reconstruct'], 2 * j, c);
      return;
    end
  end
  ok = true;
end

function check_symmetric(h, name)
  if ~isnumeric(h) || ~isreal(h) || isempty(h) || ~all(isfinite(h(:)))
    tfmex_fail('checkfilter', 'filter', '%s must be real and finite, not empty', name);
  end
  h = double(h(:));
  if mod(numel(h), 2) ~= 1
    tfmex_fail('checkfilter', 'filter', '%s has even length %d; DualSplit and DualJoin take odd-length filters', ...
          name, numel(h));
  end
  if any(abs(h - flipud(h)) > 1e-10 * max(abs(h)))
    tfmex_fail('checkfilter', 'filter', '%s is not symmetric about its centre', name);
  end
end

function ok = check_pair(a, s)
  % Inner products of a with the even translates of s, both centred:
  % a's tap k (from its centre) meets s's tap k + 2j.
  ca = (numel(a) + 1) / 2;
  cs = (numel(s) + 1) / 2;
  scale = norm(a) * norm(s);
  reach = (numel(a) + numel(s)) / 2;
  ok = true;
  for j = -ceil(reach / 2):ceil(reach / 2)
    c = 0;
    for k = 1:numel(a)
      i = k - ca + 2 * j + cs;
      if i >= 1 && i <= numel(s)
        c = c + a(k) * s(i);
      end
    end
    if abs(c - (j == 0)) > 1e-10 * scale
      warning('tfmex:filter', ['tfmex_checkfilter: QMF and DQMF are not a biorthogonal pair ' ...
              '(translate %d gives %.3g); DualJoin will not invert DualSplit'], 2 * j, c);
      ok = false;
      return;
    end
  end
end
