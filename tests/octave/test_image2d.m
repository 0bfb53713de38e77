function test_image2d()
  % The square-image transform and its inverse in the real host.
  h = [1 1] / sqrt(2);
  d4 = tfmex_filter('daubechies', 4);

  % Worked example and reconstruction at every level, also where the last
  % stages work on blocks shorter than the filter.
  expect_near(CircSplit2([1 2; 3 4], 0, h), [5 1; 2 0], 1e-14, 'CircSplit2 Haar');
  X = randn(16);
  for L = 0:4
    W = CircSplit2(X, L, d4);
    expect_near(size(W), [16 16], 0, 'CircSplit2 shape');
    expect_near(CircJoin2(W, L, d4), X, 1e-12, sprintf('CircJoin2(CircSplit2) L=%d', L));
  end
  expect_near(CircJoin2(X, -3, d4), CircJoin2(X, 0, d4), 0, 'CircJoin2 negative L');
  expect_near(CircJoin2(X, 1e9, d4), X, 0, 'CircJoin2 L beyond J');

  expect_error(@() CircSplit2(X, 0), 'CircSplit2 requires 3 input arguments.');
  expect_error(@() CircSplit2(ones(2, 4), 0, h), 'CircSplit2 requires a square array');
  expect_error(@() CircJoin2(ones(3), 0, h), 'CircJoin2D requires dyadic length sides');
  expect_error(@() CircJoin2(X, Inf, h), 'CircJoin2 requires finite scalar arguments');
  expect_error(@() CircSplit2(single(X), 0, h), 'CircSplit2 requires real double arguments');
end
