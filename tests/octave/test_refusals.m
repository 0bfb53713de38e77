function test_refusals()
  % The toolbox functions refuse bad arguments by name, with identifiers
  % tfmex:<function>:<reason>, where they once read text as character codes,
  % took a filter that could not work, spread NaN or rebuilt a basis with
  % another depth; numbers of integer classes are taken as their values.
  n = 64;
  x = sin((0:n-1) / 5) + 0.1 * tfmex_gaussian(n, 3)';
  h = tfmex_filter('db2');

  % tfmex_gaussian: N and SEED.
  expect_id(@() tfmex_gaussian('4', 1), 'tfmex:gaussian:class', 'N');
  expect_id(@() tfmex_gaussian(4, '1'), 'tfmex:gaussian:class', 'SEED');
  expect_id(@() tfmex_gaussian(4), 'tfmex:gaussian:nargin', 'SEED');
  expect_id(@() tfmex_gaussian(Inf, 1), 'tfmex:gaussian:nonfinite', 'N');
  expect_id(@() tfmex_gaussian(NaN, 1), 'tfmex:gaussian:nonfinite', 'N');
  expect_id(@() tfmex_gaussian(true, 1), 'tfmex:gaussian:class', 'logical');
  expect_id(@() tfmex_gaussian(-1, 1), 'tfmex:gaussian:range', 'N');
  expect_id(@() tfmex_gaussian(2.5, 1), 'tfmex:gaussian:integer', 'N');
  expect_id(@() tfmex_gaussian([2 3], 1), 'tfmex:gaussian:size', 'N');
  expect_id(@() tfmex_gaussian(4, -1), 'tfmex:gaussian:range', 'SEED');
  expect_id(@() tfmex_gaussian(4, 2^53), 'tfmex:gaussian:range', 'SEED');
  expect_id(@() tfmex_gaussian(4, 1 + 1i), 'tfmex:gaussian:class', 'SEED');
  expect_near(tfmex_gaussian(int8(4), int16(2048)), tfmex_gaussian(4, 2048), 0, 'integer classes taken');
  expect_near(tfmex_gaussian(4, uint64(2048)), tfmex_gaussian(4, 2048), 0, 'uint64 seed');

  % tfmex_filter: the number of taps is a whole number.
  expect_id(@() tfmex_filter('daubechies', 4.0000001), 'tfmex:filter:integer', 'M');
  expect_id(@() tfmex_filter('daubechies', '4'), 'tfmex:filter:taps', 'the text ''4''');
  expect_id(@() tfmex_filter('daubechies', NaN), 'tfmex:filter:nonfinite', 'M');
  expect_id(@() tfmex_filter('daubechies', 5), 'tfmex:filter:taps', 'no daubechies filter of 5 taps');
  expect_id(@() tfmex_filter('db0'), 'tfmex:filter:name', 'unknown filter');
  expect_id(@() tfmex_filter('daubechies'), 'tfmex:filter:taps', 'number of taps');
  expect_id(@() tfmex_filter('wavelet', 4), 'tfmex:filter:family', 'unknown family');
  expect_id(@() tfmex_filter(4), 'tfmex:filter:nargin');
  expect_near(tfmex_filter('daubechies', int8(4)), h, 0, 'an int8 number of taps');

  % tfmex_denoise: text for numbers, filters that cannot work, NaN.
  y = tfmex_denoise(x, h);
  expect_id(@() tfmex_denoise(x, h, 'sigma', '0'), 'tfmex:denoise:class', '''sigma''');
  expect_id(@() tfmex_denoise(x, h, 'sigma', NaN), 'tfmex:denoise:nonfinite', '''sigma''');
  expect_id(@() tfmex_denoise(x, h, 'sigma', [1 2]), 'tfmex:denoise:size', '''sigma''');
  expect_id(@() tfmex_denoise(x, h, 'level', '2'), 'tfmex:denoise:class', '''level''');
  expect_id(@() tfmex_denoise(x, h, 'level', 2.5), 'tfmex:denoise:integer', '''level''');
  expect_id(@() tfmex_denoise(x, h, 'level', 6), 'tfmex:denoise:range', '''level''');
  expect_id(@() tfmex_denoise(x, h, 'threshold', 1), 'tfmex:denoise:choice', '''threshold''');
  expect_id(@() tfmex_denoise(x, h, 'rule', 'minimax'), 'tfmex:denoise:choice', '''rule''');
  expect_id(@() tfmex_denoise(x, h, 'bogus', 1), 'tfmex:denoise:option', 'unknown option');
  expect_id(@() tfmex_denoise(x, h, 'level'), 'tfmex:denoise:option', 'name/value');
  expect_id(@() tfmex_denoise(x, 'daubechies'), 'tfmex:denoise:filter', 'H');
  expect_id(@() tfmex_denoise(x, []), 'tfmex:denoise:filter', 'H');
  expect_id(@() tfmex_denoise(x, [NaN 1]), 'tfmex:denoise:filter', 'H');
  expect_id(@() tfmex_denoise(x, {h}), 'tfmex:denoise:filter', 'H');
  bad = x;
  bad(17) = NaN;
  expect_id(@() tfmex_denoise(bad, h), 'tfmex:denoise:nonfinite', 'value 17');
  bad(17) = Inf;
  expect_id(@() tfmex_denoise(bad, h, 'method', 'ti'), 'tfmex:denoise:nonfinite', 'X');
  expect_id(@() tfmex_denoise('abcd', h), 'tfmex:denoise:class', 'X');
  expect_id(@() tfmex_denoise(x > 0, h), 'tfmex:denoise:class', 'X');
  expect_id(@() tfmex_denoise([], h), 'tfmex:denoise:empty', 'X');
  expect_id(@() tfmex_denoise(x(1:48), h), 'tfmex:denoise:size', 'power of two');
  expect_id(@() tfmex_denoise(x), 'tfmex:denoise:nargin');
  expect_near(tfmex_denoise(x, 'db2'), y, 0, 'a filter by its short name');
  expect_near(tfmex_denoise(x, 'DB2', 'level', int8(4)), y, 0, 'an int8 level');
  expect_near(tfmex_denoise(x, h, 'sigma', single(0)), x, 1e-12, 'a single sigma');
  q = int16(round(100 * x));
  expect_near(tfmex_denoise(q, h), tfmex_denoise(double(q), h), 0, 'an int16 signal');

  % tfmex_bestbasis: numbers, NaN in a table, the kind.
  T = PacketSplit(x, 3, h);
  expect_id(@() tfmex_bestbasis(T, 'lp', '1'), 'tfmex:bestbasis:class', 'exponent P');
  expect_id(@() tfmex_bestbasis(T, 'threshold', '0'), 'tfmex:bestbasis:class', 'threshold S');
  expect_id(@() tfmex_bestbasis(T, 'lp', 0), 'tfmex:bestbasis:range', 'exponent P');
  expect_id(@() tfmex_bestbasis(T, 'lp', Inf), 'tfmex:bestbasis:nonfinite', 'exponent P');
  expect_id(@() tfmex_bestbasis(T, 'threshold', -1), 'tfmex:bestbasis:range', 'threshold S');
  expect_id(@() tfmex_bestbasis(T, 'entropy', 1), 'tfmex:bestbasis:nargin');
  expect_id(@() tfmex_bestbasis(T, 'l2'), 'tfmex:bestbasis:choice', 'cost');
  expect_id(@() tfmex_bestbasis(T, 3), 'tfmex:bestbasis:choice', 'cost');
  expect_id(@() tfmex_bestbasis(T, 'kind', 'wavelet'), 'tfmex:bestbasis:choice', '''kind''');
  bad = T;
  bad(5, 2) = NaN;
  expect_id(@() tfmex_bestbasis(bad), 'tfmex:bestbasis:nonfinite', 'T');
  expect_id(@() tfmex_bestbasis(zeros(6, 2)), 'tfmex:bestbasis:size', 'table');
  expect_id(@() tfmex_bestbasis({T}), 'tfmex:bestbasis:class', 'T');
  [b1, c1, k1] = tfmex_bestbasis(T, 'lp', 1);
  [b2, c2, k2] = tfmex_bestbasis(T, 'lp', int8(1), 'kind', 'packet');
  expect_near([b1.blocks(:); c1; k1], [b2.blocks(:); c2; k2], 0, 'an int8 exponent');
  if ~isempty(b1.kind) || ~strcmp(b2.kind, 'packet') || b1.depth ~= 3
    error('the basis records kind "%s" / "%s" and depth %d', b1.kind, b2.kind, b1.depth);
  end

  % tfmex_basisjoin: filters, kinds and depths.
  expect_near(tfmex_basisjoin(b2, c2, h), x, 1e-12, 'packet basis rebuilt');
  expect_near(tfmex_basisjoin(b2.blocks, c2, 'db2'), x, 1e-12, 'rows alone, filter by name');
  expect_id(@() tfmex_basisjoin(b2, c2, []), 'tfmex:basisjoin:filter');
  expect_id(@() tfmex_basisjoin(b2, c2, 'db0'), 'tfmex:basisjoin:filter', 'unknown filter');
  expect_id(@() tfmex_basisjoin(b2, c2, 'bell'), 'tfmex:basisjoin:kind', 'wavelet packet');
  expect_id(@() tfmex_basisjoin(b2, c2, h, 3), 'tfmex:basisjoin:nargin');
  expect_id(@() tfmex_basisjoin(b2, [c2(1:end-1); NaN], h), 'tfmex:basisjoin:nonfinite', 'COEF');
  expect_id(@() tfmex_basisjoin([1.5 0], c2, h), 'tfmex:basisjoin:basis', 'BASIS');
  expect_id(@() tfmex_basisjoin([1 0; 1 0], c2, h), 'tfmex:basisjoin:cover', 'cover');
  C = BellSplit(x, 3, 0);
  [bc, cc] = tfmex_bestbasis(C, 'kind', 'bell');
  expect_near(tfmex_basisjoin(bc, cc, 'bell'), x, 1e-12, 'cosine basis rebuilt at its depth');
  expect_near(tfmex_basisjoin(bc, cc, 'bell', int8(3)), x, 1e-12, 'an int8 depth');
  expect_id(@() tfmex_basisjoin(bc, cc, 'bell', 4), 'tfmex:basisjoin:depth', 'depth 3');
  expect_id(@() tfmex_basisjoin(bc, cc, 'bell', '3'), 'tfmex:basisjoin:class', 'depth D');
  expect_id(@() tfmex_basisjoin(bc, cc, h), 'tfmex:basisjoin:kind', 'cosine packet');
  [bu, cu] = tfmex_bestbasis(C);
  expect_id(@() tfmex_basisjoin(bu, cu, 'bell', 4), 'tfmex:basisjoin:depth', 'depth 3');
  expect_near(tfmex_basisjoin(bu.blocks, cu, 'bell', 3), x, 1e-12, 'rows alone with their depth');

  % tfmex_plot_levels: L a count, W finite.
  w = CircSplit(x, 2, h);
  expect_id(@() tfmex_plot_levels(w, '2'), 'tfmex:plot_levels:class', 'L');
  expect_id(@() tfmex_plot_levels(w, 2.5), 'tfmex:plot_levels:integer', 'L');
  expect_id(@() tfmex_plot_levels(w, 6), 'tfmex:plot_levels:range', 'L');
  w(5) = NaN;
  expect_id(@() tfmex_plot_levels(w, 2), 'tfmex:plot_levels:nonfinite', 'W');

  % tfmex_plot_tiling and tfmex_demo.
  expect_id(@() tfmex_plot_tiling(bc, cc(1:10), 'bell'), 'tfmex:plot_tiling:size', 'COEF');
  expect_id(@() tfmex_plot_tiling(bc, cc, 'packet'), 'tfmex:plot_tiling:kind', 'bell');
  expect_id(@() tfmex_plot_tiling([1.25 0], cc, 'packet'), 'tfmex:plot_tiling:basis', 'BASIS');
  expect_id(@() tfmex_plot_tiling(bc, cc, 3), 'tfmex:plot_tiling:choice', 'KIND');
  expect_id(@() tfmex_demo('snr', 'abc'), 'tfmex:demo:class', '''snr''');
  expect_id(@() tfmex_demo('seed', -1), 'tfmex:demo:range', '''seed''');
  expect_id(@() tfmex_demo('quiet', 'yes'), 'tfmex:demo:class', '''quiet''');
  expect_id(@() tfmex_demo('out', 3), 'tfmex:demo:class', '''out''');
  expect_id(@() tfmex_demo('speed', 1), 'tfmex:demo:option', 'unknown option');
  expect_id(@() tfmex_demo('snr'), 'tfmex:demo:option', 'name/value');
end
