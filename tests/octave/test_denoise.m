function test_denoise()
  % tfmex_denoise: what each threshold and rule must do to known inputs, the
  % noise estimate, the gain on noisy signals and images, and its refusals.
  haar = tfmex_filter('haar');
  d4 = tfmex_filter('daubechies', 4);
  n = 1024;
  t = (0:n-1)' / n;
  clean = 2 * sin(4 * pi * t) + 1.5 * (t > 0.3) - (t > 0.71);
  z = tfmex_gaussian(n, 7);
  noisy = clean + 0.3 * z;
  variants = {};
  for method = {'plain', 'ti'}
    for rule = {'universal', 'sure'}
      for threshold = {'soft', 'hard'}
        variants{end+1} = {'method', method{1}, 'rule', rule{1}, 'threshold', threshold{1}}; %#ok<AGROW>
      end
    end
  end

  % Shapes: a row stays a row, a column a column, for every variant; each
  % variant removes much of the noise.
  for k = 1:numel(variants)
    v = variants{k};
    what = strjoin(v(2:2:end), '/');
    y = tfmex_denoise(noisy, d4, v{:});
    expect_near(size(y), [n 1], 0, [what ' column shape']);
    if ~(norm(y - clean) < 0.6 * norm(noisy - clean))
      error('%s: error %g, noise %g', what, norm(y - clean), norm(noisy - clean));
    end
    expect_near(tfmex_denoise(noisy', d4, v{:}), y', 1e-12, [what ' row equals column']);
  end

  % The noise level comes from the finest details: for pure noise of level
  % 0.5 it is found to within 10 %, and the universal threshold is
  % sigma * sqrt(2 ln n) for every level.
  [~, sigma, lambda] = tfmex_denoise(0.5 * tfmex_gaussian(4096, 3), d4, 'level', 3);
  if abs(sigma - 0.5) > 0.05
    error('noise level %g estimated for 0.5', sigma);
  end
  expect_near(lambda, repmat(sigma * sqrt(2 * log(4096)), 1, 9), 1e-12, 'universal thresholds');
  [~, ~, lambda] = tfmex_denoise(noisy, d4, 'rule', 'sure', 'level', 2);
  expect_near(size(lambda), [1 8], 0, 'one SURE threshold per level');
  cap = sigma_of(noisy, d4) * sqrt(2 * log(2 .^ (2:9)));
  if any(lambda > cap + 1e-12) || any(lambda < 0)
    error('SURE thresholds %s outside [0, universal of the level]', mat2str(lambda, 4));
  end
  % Pure noise looks sparse at every level of 16 or more coefficients: SURE
  % falls back to the universal threshold of each and removes nearly all.
  [y, s, lambda] = tfmex_denoise(tfmex_gaussian(n, 5), d4, 'rule', 'sure', 'level', 0);
  expect_near(lambda(5:end), s * sqrt(2 * log(2 .^ (4:9))), 1e-12, 'SURE on pure noise');
  if norm(y) > 0.2 * sqrt(n)
    error('SURE left %g of pure noise of norm %g', norm(y), sqrt(n));
  end

  % A given sigma: zero keeps everything (exact rebuild); a huge one leaves
  % the coarse approximation, which for Haar is the mean of each block.
  for k = 1:numel(variants)
    v = variants{k};
    what = strjoin(v(2:2:end), '/');
    expect_near(tfmex_denoise(noisy, d4, v{:}, 'sigma', 0), noisy, 1e-12, [what ' sigma 0']);
  end
  means = kron(mean(reshape(noisy, n / 4, 4)), ones(1, n / 4))';
  for threshold = {'soft', 'hard'}
    y = tfmex_denoise(noisy, haar, 'level', 2, 'sigma', 1e9, 'threshold', threshold{1});
    expect_near(y, means, 1e-12, ['block means, ' threshold{1}]);
  end
  % Translation-invariant, nothing kept but the coarse values: a constant
  % signal stays itself, whatever the shift paths.
  expect_near(tfmex_denoise(3 * ones(64, 1), d4, 'method', 'ti', 'sigma', 1e9), 3 * ones(64, 1), ...
              1e-12, 'constant through ti');
  % Soft moves every kept coefficient by lambda, hard keeps it: Haar, one
  % stage, one detail 4/sqrt(2) against lambda = 1 * sqrt(2 ln 2).
  lam = sqrt(2 * log(2));
  d = 4 / sqrt(2);
  soft = tfmex_denoise([1 5], haar, 'level', 0, 'sigma', 1);
  hard = tfmex_denoise([1 5], haar, 'level', 0, 'sigma', 1, 'threshold', 'hard');
  expect_near(soft, 3 + [-1 1] * (d - lam) / sqrt(2), 1e-12, 'soft on one detail');
  expect_near(hard, [1 5], 1e-12, 'hard on one detail');

  % Images: shape kept, noise reduced, the rule's thresholds one per level.
  img = kron([1 3; -2 0.5], ones(32));
  img_noisy = img + 0.4 * reshape(tfmex_gaussian(64 * 64, 11), 64, 64);
  for k = 1:numel(variants)
    v = variants{k};
    if strcmp(v{2}, 'ti')
      continue;
    end
    [y, ~, lambda] = tfmex_denoise(img_noisy, haar, v{:}, 'level', 1);
    what = ['image ' strjoin(v(2:2:end), '/')];
    expect_near(size(y), [64 64], 0, [what ' shape']);
    expect_near(size(lambda), [1 5], 0, [what ' thresholds']);
    if ~(norm(y - img, 'fro') < 0.5 * norm(img_noisy - img, 'fro'))
      error('%s: error %g, noise %g', what, norm(y - img, 'fro'), norm(img_noisy - img, 'fro'));
    end
  end
  expect_near(tfmex_denoise(img_noisy, d4, 'sigma', 0), img_noisy, 1e-12, 'image sigma 0');

  % Refusals, each with its reason; a filter that is not orthonormal warns.
  expect_refusal(@() tfmex_denoise(ones(1, 6), haar), 'power of two');
  expect_refusal(@() tfmex_denoise(ones(4, 8), haar), 'must be square');
  expect_refusal(@() tfmex_denoise(ones(8, 8), haar, 'method', 'ti'), 'signals only');
  expect_refusal(@() tfmex_denoise(noisy, haar, 'level', 10), '''level''');
  expect_refusal(@() tfmex_denoise(noisy, haar, 'level', 1.5), '''level''');
  expect_refusal(@() tfmex_denoise(noisy, haar, 'rule', 'minimax'), '''rule''');
  expect_refusal(@() tfmex_denoise(noisy, haar, 'thresh', 'soft'), 'unknown option');
  expect_refusal(@() tfmex_denoise(noisy, haar, 'level'), 'name/value');
  expect_refusal(@() tfmex_denoise(noisy, haar, 'sigma', -1), '''sigma''');
  expect_refusal(@() tfmex_denoise(noisy + 1i, haar), 'real');
  state = warning('error', 'tfmex:filter');
  try
    tfmex_denoise(noisy, [1 1] / 2);
    warned = false;
  catch err
    warned = strcmp(err.identifier, 'tfmex:filter');
  end
  warning(state);
  if ~warned
    error('a filter of norm 1/sqrt(2) passed without warning');
  end
end

function s = sigma_of(x, h)
  w = CircSplit(x, 0, h);
  s = median(abs(w(numel(x)/2+1:end))) / 0.6745;
end
