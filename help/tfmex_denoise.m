function [y, sigma, lambda] = tfmex_denoise(x, h, varargin)
% TFMEX_DENOISE  Wavelet shrinkage of a noisy signal or square image.
%   Y = tfmex_denoise(X, H) transforms X with the orthonormal low-pass filter
%   H, shrinks every detail coefficient toward zero and transforms back: soft
%   threshold at sigma * sqrt(2 ln n), sigma estimated as the median absolute
%   value of the finest details divided by 0.6745, n the number of samples
%   (pixels for an image). The coarse coefficients are kept as they are.
%   [Y, SIGMA, LAMBDA] = tfmex_denoise(...) also returns the noise level and
%   the thresholds (one per detail level, finest last; for 'ti' one per
%   detail column of the table, finest first).
%
%   X  a signal (row or column of n = 2^J values) or a square image
%      (n x n, n = 2^J). Y has the shape of X.
%   H  the orthonormal low-pass filter (checked with tfmex_checkfilter), or
%      its short name: 'haar', 'dbN', 'symN', 'coifN' (see tfmex_filter).
%
%   Every argument is checked: X must be finite (a NaN or Inf is refused,
%   not spread), numbers of any numeric class are taken, text where a
%   number belongs is refused. A refusal names the argument, and its
%   identifier is tfmex:denoise:<reason> (class, size, nonfinite, filter,
%   integer, range, choice, option, method).
%
%   Options, as name/value pairs:
%     'threshold'  'soft' (default): sign(c) * max(|c| - lambda, 0);
%                  'hard': c where |c| > lambda, else 0.
%     'rule'       'universal' (default): lambda = sigma * sqrt(2 ln n) for
%                  every detail; 'sure': per level, the lambda minimising
%                  Stein's unbiased estimate of the soft threshold's risk,
%                  at most that level's universal threshold, and that
%                  universal threshold where the level is too sparse for
%                  the estimate (the SureShrink rule).
%     'method'     'plain' (default): CircSplit/CircJoin for signals,
%                  CircSplit2/CircJoin2 for images; 'ti' (signals only):
%                  translation-invariant, every detail column of
%                  ShiftSplit's table thresholded, then ShiftJoin, which
%                  averages the estimates of all shift paths.
%     'level'      the coarse level L, 0 <= L < J (default min(4, J-1)):
%                  2^L coarse coefficients per signal are kept.
%     'sigma'      the noise level, when known, instead of the estimate.
%
%   The C++ library's tfmex::denoise and tfmex::denoise2 (tfmex/analysis.hpp)
%   compute the same doubles.
%
%   Example:
%     n = 1024; t = (0:n-1)' / n;
%     clean = sin(4 * pi * t) + (t > 0.3);
%     noisy = clean + 0.2 * tfmex_gaussian(n, 1);
%     h = tfmex_filter('daubechies', 4);
%     y = tfmex_denoise(noisy, h, 'method', 'ti');
%     better = norm(y - clean) < norm(noisy - clean) / 2   % 1
%
%   See also tfmex_checkfilter, CircSplit, CircSplit2, ShiftSplit.
  if nargin < 2
    tfmex_fail('denoise', 'nargin', 'call as tfmex_denoise(X, H, ...), X the signal or image and H the filter');
  end
  if isnumeric(x) && ~isreal(x)
    tfmex_fail('denoise', 'class', 'X must be a real signal or square image, got complex values');
  end
  x = tfmex_check_signal('denoise', 'X', x, 'a real signal or square image');
  image = ~isvector(x) || isscalar(x);
  n = size(x, 1);
  if ~image
    n = numel(x);
  elseif size(x, 1) ~= size(x, 2)
    tfmex_fail('denoise', 'size', 'X: an image must be square, got %d x %d', size(x, 1), size(x, 2));
  end
  J = round(log2(n));
  if n < 2 || 2^J ~= n
    tfmex_fail('denoise', 'size', 'the side of X must be a power of two >= 2, got %d', n);
  end
  h = tfmex_check_filter('denoise', 'H', h);

  opt = struct('threshold', 'soft', 'rule', 'universal', 'method', 'plain', ...
               'level', min(4, J - 1), 'sigma', []);
  opt = parse_options(opt, varargin);
  L = tfmex_check_number('denoise', '''level''', opt.level, 0, J - 1, 'integer');
  soft = tfmex_check_choice('denoise', '''threshold''', opt.threshold, {'soft', 'hard'}) == 1;
  sure = tfmex_check_choice('denoise', '''rule''', opt.rule, {'universal', 'sure'}) == 2;
  invariant = tfmex_check_choice('denoise', '''method''', opt.method, {'plain', 'ti'}) == 2;
  if ~isempty(opt.sigma) || ~isnumeric(opt.sigma)
    opt.sigma = tfmex_check_number('denoise', '''sigma''', opt.sigma, 0, Inf);
  end
  if invariant && image
    tfmex_fail('denoise', 'method', 'the translation-invariant method is for signals only');
  end

  if ~image && ~invariant
    w = CircSplit(x(:), L, h);
    sigma = noise_level(opt.sigma, w(n/2+1:n));
    levels = L:J-1;
    lambda = zeros(1, numel(levels));
    for j = levels
      band = 2^j+1:2^(j+1);
      lambda(j - L + 1) = threshold_for(w(band), sigma, n, sure);
      w(band) = shrink(w(band), lambda(j - L + 1), soft);
    end
    y = reshape(CircJoin(w, L, h), size(x));
  elseif image
    W = CircSplit2(x, L, h);
    k = n / 2;
    finest = true(n);
    finest(1:k, 1:k) = false;
    sigma = noise_level(opt.sigma, W(finest));
    levels = L:J-1;
    lambda = zeros(1, numel(levels));
    for j = levels
      k = 2^j;
      band = false(n);
      band(1:2*k, 1:2*k) = true;
      band(1:k, 1:k) = false;
      lambda(j - L + 1) = threshold_for(W(band), sigma, n * n, sure);
      W(band) = shrink(W(band), lambda(j - L + 1), soft);
    end
    y = CircJoin2(W, L, h);
  else
    T = ShiftSplit(x(:), L, h);
    D = size(T, 2) - 1;
    % The first block of column 2 is the unshifted path: the plain
    % transform's finest details.
    sigma = noise_level(opt.sigma, T(1:n/2, 2));
    lambda = zeros(1, D);
    for d = 1:D
      lambda(d) = threshold_for(T(:, d+1), sigma, n, sure);
      T(:, d+1) = shrink(T(:, d+1), lambda(d), soft);
    end
    y = reshape(ShiftJoin(T, h), size(x));
  end
end

function opt = parse_options(opt, args)
  if mod(numel(args), 2)
    tfmex_fail('denoise', 'option', 'options come as name/value pairs');
  end
  for i = 1:2:numel(args)
    name = args{i};
    if ~ischar(name) || ~isfield(opt, lower(name))
      tfmex_fail('denoise', 'option', 'unknown option %s; options: ''threshold'', ''rule'', ''method'', ''level'', ''sigma''', disp_name(name));
    end
    opt.(lower(name)) = args{i+1};
  end
end

function s = disp_name(name)
  if ischar(name)
    s = ['''' name ''''];
  else
    s = sprintf('(a %s)', class(name));
  end
end

function sigma = noise_level(given, finest)
  % median |d| / 0.6745 over the finest details, unless given.
  if ~isempty(given)
    sigma = given;
    return;
  end
  a = sort(abs(finest(:)));
  c = numel(a);
  if mod(c, 2)
    m = a((c + 1) / 2);
  else
    m = 0.5 * (a(c/2) + a(c/2 + 1));
  end
  sigma = m / 0.6745;
end

function lambda = threshold_for(d, sigma, n, sure)
  % The universal threshold sigma * sqrt(2 ln n) over the whole transform,
  % or SureShrink's choice for this level's coefficients d.
  if ~sure
    lambda = sigma * sqrt(2 * log(n));
    return;
  end
  if sigma == 0
    lambda = 0;
    return;
  end
  v = d(:) / sigma;
  m = numel(v);
  cap = sqrt(2 * log(m));
  % Too sparse for the risk estimate to be trusted: the universal threshold.
  if (sum(v .* v) - m) / m <= log2(m)^1.5 / sqrt(m)
    lambda = sigma * cap;
    return;
  end
  % Risk of the soft threshold t = a(k): m - 2 #{|v| <= t} + sum min(v^2, t^2).
  a = sort(v .* v);
  k = (1:m)';
  risk = (m - 2 * k + cumsum(a) + (m - k) .* a) / m;
  [~, best] = min(risk);
  lambda = sigma * min(sqrt(a(best)), cap);
end

function c = shrink(c, lambda, soft)
  if soft
    s = abs(c) - lambda;
    c = sign(c) .* s;
    c(s <= 0) = 0;
  else
    c(abs(c) <= lambda) = 0;
  end
end
