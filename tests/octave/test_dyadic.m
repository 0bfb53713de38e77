function test_dyadic()
  % The single-stage and multilevel periodized plug-ins in the real host.
  h = [1 1] / sqrt(2);
  d4 = tfmex_filter('daubechies', 4);
  x = [1 2 3 4];

  % One stage each way, worked example and shapes.
  a = HalveCoarse(x, h);
  d = HalveDetail(x, h);
  expect_near(a, [3 7] / sqrt(2), 1e-14, 'HalveCoarse');
  expect_near(d, [1 1] / sqrt(2), 1e-14, 'HalveDetail');
  expect_near(GrowCoarse(a, h) + GrowDetail(d, h), x, 1e-14, 'Grow of Halve');
  expect_near(HalveCoarse(x', h), [3; 7] / sqrt(2), 1e-14, 'HalveCoarse column');
  expect_near(size(GrowDetail([1 2; 3 4], h)), [4 1], 0, 'GrowDetail of a matrix');
  expect_error(@() HalveCoarse(x), 'HalveCoarse requires two input arguments.');
  expect_error(@() GrowDetail(1:6, h), 'GrowDetail requires dyadic length');
  expect_error(@() HalveDetail(single(x), h), 'HalveDetail requires real double arguments');

  % Multilevel: reconstruction at every level, matrix columns, row shape.
  X = randn(32, 3);
  for L = 0:5
    W = CircSplit(X, L, d4);
    expect_near(CircJoin(W, L, d4), X, 1e-12, sprintf('CircJoin(CircSplit) L=%d', L));
  end
  expect_near(CircSplit([1; 2; 3; 4], 0, h), [5; 2; 1/sqrt(2); 1/sqrt(2)], 1e-14, 'CircSplit Haar');
  w = CircSplit(X(:, 2)', 2, d4);
  expect_near(w, CircSplit(X(:, 2), 2, d4)', 0, 'row and column agree');
  expect_near(CircSplit(X, 1e12, d4), X, 0, 'huge L returns x');
  expect_error(@() CircSplit(1:6, 0, h), 'CircSplit requires dyadic length');
  expect_error(@() CircJoin(X, NaN, h), 'CircJoin requires finite scalar arguments');
  expect_error(@() CircSplit(int8(X), 0, h), 'CircSplit requires real double arguments');
  expect_error(@() CircSplit(X, 0, d4 + 1i), 'CircSplit requires real double arguments');
  expect_error(@() CircSplit(sparse(X), 0, d4), 'CircSplit requires real double arguments');
  expect_error(@() CircSplit(X, 0, h, 1), 'CircSplit requires three input arguments.');
  try
    [p, q] = CircJoin(X, 0, h);
    error('two outputs were accepted');
  catch err
    if isempty(strfind(err.message, 'CircJoin requires one output argument.'))
      rethrow(err);
    end
  end
end
