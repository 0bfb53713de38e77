function test_pyramid()
  % The triadic pyramid and refinement plug-ins in the real host.
  x = randn(1, 81);

  % Average-interpolating pyramid: shape, layout, reconstruction at every level.
  for D = [0 2]
    for L = 1:4
      wc = BlockMeanSplit(x, L, D);
      expect_near(size(wc), [1 162], 0, 'BlockMeanSplit shape');
      expect_near(BlockMeanJoin(wc, L, D), x, 1e-12, sprintf('BlockMeanJoin(BlockMeanSplit) L=%d D=%d', L, D));
    end
  end
  wc = BlockMeanSplit(x(1:9)', 1, 0);
  expect_near(wc(1:3), mean(reshape(x(1:9), 3, 3)) * sqrt(3), 1e-14, 'coarse means');
  expect_near(wc(4:9), zeros(1, 6), 0, 'never-written gap');
  expect_near(wc(10:18), x(1:9) - kron(mean(reshape(x(1:9), 3, 3)), [1 1 1]), 1e-14, 'residuals');
  expect_near(BlockMeanSplit(x, 4, 2), [x zeros(1, 81)], 0, 'L = J keeps x');
  expect_near(BlockMeanJoin([x zeros(1, 81)], 9, 2), x, 0, 'L > J acts as L = J');
  q = (0:80) + 0.5;
  cells = 0.2 - 0.1 * q + 0.003 * (q .^ 2 + 1 / 12);  % means of a quadratic over unit cells
  w = BlockMeanSplit(cells, 1, 2);
  expect_near(w(4:end), zeros(1, 159), 1e-12, 'quadratic cell means');
  expect_error(@() BlockMeanSplit(x, 0, 2), 'In CenterSplit: L must be >= 1');
  expect_error(@() BlockMeanSplit(1:6, 1, 2), 'CenterSplit requires triadic length input');
  expect_error(@() BlockMeanSplit(x, NaN, 2), 'BlockMeanSplit requires finite scalar arguments');
  expect_error(@() BlockMeanJoin(1:4, 1, 2), 'Input WC to CenterJoin is of incompatible size');
  expect_error(@() BlockMeanJoin(1:18, 1), 'CenterJoin requires three input arguments.');

  % Median-interpolating refinement and its inverse pyramid.
  c = [0.5 -1 2 2 3];
  f = CenterPredict(c, 2);
  expect_near(size(f), [1 15], 0, 'CenterPredict shape');
  expect_near(CenterPredict(-c, 2), -f, 0, 'CenterPredict is odd');
  expect_near(CenterPredict([1 2 3], 2), [2 3 4 5 6 7 8 9 10] / 3, 1e-14, 'linear triple');
  expect_near(CenterPredict([1; 2], 0), [1 1 1 2 2 2], 0, 'D = 0 repeats');
  expect_near(CenterPredict([1 2], 5), zeros(1, 6), 0, 'other D gives zeros');
  wcm = [c(1:3) * 3 zeros(1, 51)];
  expect_near(CenterJoin(wcm, 1, 2), CenterPredict(CenterPredict(c(1:3), 2), 2), 1e-14, 'zero differences');
  expect_error(@() CenterPredict([1 2], 2), 'CenterPredict requires at least three values for D = 2');
  expect_error(@() CenterJoin(1:18, 0.5, 2), 'In CenterJoin: L must be >= 1');
  expect_error(@() CenterJoin(int8(1:18), 1, 2), 'CenterJoin requires real double arguments');

  % Linear triple refinement.
  t = TriplePredict(c, 2);
  expect_near(t(2:3:end), c, 0, 'middle sub-blocks keep the block values');
  s = 0:4;
  expect_near(TriplePredict(s .^ 2, 2), (((0:14) - 1) / 3) .^ 2, 1e-13, 'samples of a quadratic');
  expect_error(@() TriplePredict(1:2, 2.5), 'TriplePredict requires at least three values for D = 2');
  expect_error(@() TriplePredict(1:3), 'TriplePredict requires two input arguments.');
end
