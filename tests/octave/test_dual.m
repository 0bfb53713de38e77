function test_dual()
  % The symmetric biorthogonal plug-ins in the real host.
  qmf = sqrt(2) * [-1 2 6 2 -1] / 8;
  dqmf = sqrt(2) * [1 2 1] / 4;

  % Worked example and its inverse.
  x = 1:8;
  W = DualSplit(x, 2, qmf, dqmf);
  expect_near(W, sqrt(2) * [2 3 5 8 0 0 0 2], 1e-14, 'DualSplit worked example');
  expect_near(DualJoin(W, 2, qmf, dqmf), x, 1e-13, 'DualJoin worked example');

  % Reconstruction of every column at every level, with both roles of the pair.
  X = randn(32, 3);
  for L = 0:5
    expect_near(DualJoin(DualSplit(X, L, qmf, dqmf), L, qmf, dqmf), X, 1e-12, ...
                sprintf('DualJoin(DualSplit) L=%d', L));
    expect_near(DualJoin(DualSplit(X, L, dqmf, qmf), L, dqmf, qmf), X, 1e-12, ...
                sprintf('exchanged pair L=%d', L));
  end

  % Shapes: a row stays a row and agrees with the column; L out of range.
  w = DualSplit(X(:, 2)', 1, qmf, dqmf);
  expect_near(size(w), [1 32], 0, 'row shape');
  expect_near(w, DualSplit(X, 1, qmf, dqmf)(:, 2)', 0, 'row and column agree');
  expect_near(DualSplit(X, 7, qmf, dqmf), X, 0, 'L > J returns x');
  expect_near(DualJoin(DualSplit(X, -2, qmf, dqmf), -2, qmf, dqmf), X, 1e-12, 'L < 0');

  % Messages.
  expect_error(@() DualSplit(1:6, 0, qmf, dqmf), 'DualSplit requires dyadic length');
  expect_error(@() DualSplit(X, 0, qmf), 'DualSplit requires four input arguments.');
  expect_error(@() DualSplit(X, NaN, qmf, dqmf), 'DualSplit requires finite scalar arguments');
  expect_error(@() DualJoin(X, 0, [1 2], dqmf), 'DualJoin requires odd-length filters');
  expect_error(@() DualJoin(X, 0, qmf, []), 'DualJoin requires odd-length filters');
  expect_error(@() DualJoin(single(X), 0, qmf, dqmf), 'DualJoin requires real double arguments');
end
