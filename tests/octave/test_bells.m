function test_bells()
  % The cosine packet table and its synthesis in the real host.
  x = randn(64, 1);
  n = numel(x);

  for D = 0:6
    T = BellSplit(x, D, 'sine');
    expect_near(size(T), [n, D + 1], 0, sprintf('BellSplit shape D=%d', D));
    expect_near(sum(T .^ 2), repmat(sum(x .^ 2), 1, D + 1), 1e-12, 'energy per column');
    expect_near(BellJoin(T), (D + 1) * x', 1e-13, sprintf('BellJoin(BellSplit) D=%d', D));
    % One column alone gives the signal back.
    S = zeros(size(T));
    S(:, D + 1) = T(:, D + 1);
    expect_near(BellJoin(S), x', 1e-13, sprintf('BellJoin of column %d', D));
  end

  % The extreme depths: the signal itself, and its type-IV cosine transform.
  T = BellSplit(x', 6, 0);
  expect_near(T(:, 7), x, 1e-14, 'BellSplit D=J');
  expect_near(BellSplit(x', 0, 0), TrigC4(x), 1e-13, 'BellSplit D=0');
  expect_near(size(BellJoin(T, 'ignored')), [1 n], 0, 'BellJoin row');

  expect_error(@() BellSplit(x, 1), 'BellSplit requires three input arguments.');
  expect_error(@() BellSplit(1:6, 1, 0), 'BellSplit requires dyadic length');
  expect_error(@() BellSplit(x, NaN, 0), 'BellSplit requires finite scalar arguments');
  expect_error(@() BellSplit(x, 6.5, 0), 'BellSplit requires D <= log_2(n)');
  expect_error(@() BellSplit(x, -2, 0), 'BellSplit requires D >= 0');
  expect_error(@() BellSplit(single(x), 1, 0), 'BellSplit requires real double arguments');
  expect_error(@() BellJoin(), 'BellJoin requires one input argument.');
  expect_error(@() BellJoin(zeros(6, 2)), 'BellJoin requires dyadic length');
  expect_error(@() BellJoin(zeros(1, 3)), 'BellJoin requires D <= log_2(n)');
  expect_error(@() BellJoin(zeros(8, 0)), 'BellJoin requires D >= 0');
  expect_error(@() BellJoin(T + 1i), 'BellJoin requires real double arguments');
  try
    [p, q] = BellJoin(T);
    error('two outputs were accepted');
  catch err
    if isempty(strfind(err.message, 'BellJoin requires one output argument.'))
      rethrow(err);
    end
  end
end
