function test_bestbasis()
  % tfmex_bestbasis and tfmex_basisjoin: the search finds the least cost
  % among all bases (checked by enumerating them), the known best bases of a
  % pure cosine packet and a chirp, exact rebuilds, and refusals.
  d8 = tfmex_filter('daubechies', 8);
  costs = {{'entropy'}, {'lp', 1}, {'lp', 0.5}, {'threshold', 0.3}};

  % Every basis of a small table, enumerated: the search returns one of
  % least cost, reports that cost, and its coefficients are the blocks'.
  x = tfmex_gaussian(16, 1)' + (0:15) / 4;
  tables = {PacketSplit(x, 3, d8), BellSplit(x, 3, 0), PacketSplit(x, 4, d8)};
  for t = 1:numel(tables)
    T = tables{t};
    all_bases = enumerate(0, 0, size(T, 2) - 1);
    for c = 1:numel(costs)
      what = sprintf('table %d, cost %s', t, costs{c}{1});
      [basis, coef, cost] = tfmex_bestbasis(T, costs{c}{:});
      least = min(cellfun(@(b) basis_cost(T, b, costs{c}), all_bases));
      expect_near(cost, least, 1e-12 * max(1, abs(least)), [what ': least cost']);
      expect_near(basis_cost(T, basis, costs{c}), cost, 1e-12 * max(1, abs(cost)), [what ': reported cost']);
      expect_near(coef, blocks_of(T, basis), 0, [what ': coefficients']);
    end
  end
  expect_near(numel(enumerate(0, 0, 3)), 26, 0, 'bases of a depth-3 table');

  % A pure cosine packet (one coefficient of block 5 of column 4 of a depth-5
  % table): the best basis keeps that block, one coefficient holds all the
  % energy, and it rebuilds the packet.
  n = 512;
  T = zeros(n, 6);
  T(5 * n / 8 + 21, 4) = 1;
  x = BellJoin(T);
  [basis, coef, cost] = tfmex_bestbasis(BellSplit(x, 5, 0));
  if ~ismember([3 5], basis.blocks, 'rows')
    error('cosine packet: block [3 5] not in the basis %s', mat2str(basis.blocks));
  end
  expect_near(max(abs(coef)), 1, 1e-12, 'cosine packet: one coefficient');
  expect_near(cost, 0, 1e-12, 'cosine packet: entropy');
  expect_near(tfmex_basisjoin(basis, coef, 'bell', 5), x, 1e-12, 'cosine packet rebuilt');

  % A chirp: its best wavelet packet basis costs less than the wavelet basis
  % (blocks [D 0], [D 1], [D-1 1], ..., [1 1] of the same table), by a wide
  % margin, and less than every basis of one level.
  n = 2048;
  t = (0:n-1) / n;
  chirp = sin(2 * pi * 300 * t .^ 2);
  D = 7;
  T = PacketSplit(chirp, D, d8);
  wavelet = [D 0; D 1; (D-1:-1:1)', ones(D-1, 1)];
  expect_near(tfmex_basisjoin(wavelet, blocks_of(T, wavelet), d8), chirp, 1e-10, 'wavelet basis rebuilds');
  for c = 1:numel(costs)
    [basis, coef, cost] = tfmex_bestbasis(T, costs{c}{:});
    wcost = basis_cost(T, wavelet, costs{c});
    if ~(cost < 0.8 * wcost)
      error('chirp, cost %s: best basis %g, wavelet basis %g', costs{c}{1}, cost, wcost);
    end
    for d = 0:D
      level = [d * ones(2^d, 1), (0:2^d-1)'];
      if cost > basis_cost(T, level, costs{c}) * (1 + 1e-12)
        error('chirp, cost %s: best basis %g above level %d', costs{c}{1}, cost, d);
      end
    end
    expect_near(tfmex_basisjoin(basis, coef, d8), chirp, 1e-12 * n, ['chirp rebuilt, ' costs{c}{1}]);
  end
  % The wavelet basis costs the same as CircSplit's coefficients.
  w = CircSplit(chirp, log2(n) - D, d8);
  expect_near(sort(abs(blocks_of(T, wavelet))), sort(abs(w(:))), 1e-12, 'wavelet blocks are CircSplit');

  % Exact rebuilds at every depth, packets and cosine packets.
  x = tfmex_gaussian(256, 9)';
  for D = 0:8
    [basis, coef] = tfmex_bestbasis(PacketSplit(x, D, d8));
    expect_near(tfmex_basisjoin(basis, coef, d8), x, 1e-12, sprintf('packets rebuilt, D = %d', D));
    [basis, coef] = tfmex_bestbasis(BellSplit(x, D, 0));
    expect_near(tfmex_basisjoin(basis, coef, 'bell', D), x, 1e-12, sprintf('cosine packets rebuilt, D = %d', D));
  end

  % Refusals: a basis that misses or repeats rows, a block outside the
  % table, a cosine packet basis without its depth, unknown costs.
  coef = zeros(8, 1);
  h = [1 1] / sqrt(2);
  expect_refusal(@() tfmex_basisjoin([1 0; 2 3], coef, h), 'cover');
  expect_refusal(@() tfmex_basisjoin([1 0; 1 0], coef, h), 'cover');
  expect_refusal(@() tfmex_basisjoin([1 1; 1 0], coef, h), 'cover');
  expect_refusal(@() tfmex_basisjoin([1 2; 1 1], coef, h), 'outside');
  expect_refusal(@() tfmex_basisjoin([4 0], coef, h), 'outside');
  expect_refusal(@() tfmex_basisjoin([1 0; 1 1], coef, 'bell'), 'depth D');
  expect_refusal(@() tfmex_basisjoin([1 0; 1 1], coef, 'bell', 0), 'depth D');
  expect_refusal(@() tfmex_basisjoin([0 0], zeros(6, 1), h), '2^J');
  expect_refusal(@() tfmex_bestbasis(zeros(6, 2)), 'table');
  expect_refusal(@() tfmex_bestbasis(zeros(8, 5)), 'table');
  expect_refusal(@() tfmex_bestbasis(zeros(8, 2), 'l2'), 'cost');
  expect_refusal(@() tfmex_bestbasis(zeros(8, 2), 'lp', 0), 'exponent');
end

function bases = enumerate(d, k, D)
  % Every basis of block k of column d+1 of a table of depth D.
  bases = {[d k]};
  if d < D
    low = enumerate(d + 1, 2 * k, D);
    high = enumerate(d + 1, 2 * k + 1, D);
    for a = 1:numel(low)
      for b = 1:numel(high)
        bases{end+1} = [low{a}; high{b}]; %#ok<AGROW>
      end
    end
  end
end

function c = blocks_of(T, basis)
  if isstruct(basis)
    basis = basis.blocks;
  end
  n = size(T, 1);
  c = [];
  for b = 1:size(basis, 1)
    len = n / 2^basis(b, 1);
    c = [c; T(basis(b, 2)*len+1:(basis(b, 2)+1)*len, basis(b, 1)+1)]; %#ok<AGROW>
  end
end

function c = basis_cost(T, basis, cost)
  v = blocks_of(T, basis);
  switch cost{1}
    case 'entropy'
      p = v .^ 2 / sum(T(:, 1) .^ 2);
      p = p(p > 0);
      c = -sum(p .* log(p));
    case 'lp'
      c = sum(abs(v) .^ cost{2});
    case 'threshold'
      c = sum(abs(v) > cost{2});
  end
end
