function test_trig()
  % The cosine, sine and type-IV cosine plug-ins in the real host.
  x = randn(1, 64);
  n = numel(x);

  % Type II against the defining sums, type III as its inverse.
  [m, k] = meshgrid(0:n-1, 0:n-1);
  C = sqrt(2 / n) * cos(pi * (2 * m + 1) .* k / (2 * n));
  C(1, :) = C(1, :) / sqrt(2);
  S = sqrt(2 / n) * sin(pi * (2 * m + 1) .* (k + 1) / (2 * n));
  S(end, :) = S(end, :) / sqrt(2);
  expect_near(TrigC2(x), (C * x')', 1e-13, 'TrigC2 definition');
  expect_near(TrigS2(x'), S * x', 1e-13, 'TrigS2 definition');
  expect_near(TrigC3(TrigC2(x)), x, 1e-13, 'TrigC3(TrigC2)');
  expect_near(TrigS3(TrigS2(x')), x', 1e-13, 'TrigS3(TrigS2)');
  expect_near(TrigC3(x), (C' * x')', 1e-13, 'TrigC3 definition');

  % Type IV: its own inverse, and the definition.
  C4 = sqrt(2 / n) * cos(pi * (2 * m + 1) .* (2 * k + 1) / (4 * n));
  expect_near(TrigC4(x), (C4 * x')', 1e-13, 'TrigC4 definition');
  expect_near(TrigC4(TrigC4(x')), x', 1e-13, 'TrigC4 twice');
  expect_near(sum(TrigC4(x) .^ 2), sum(x .^ 2), 1e-12, 'TrigC4 energy');

  % Shapes: a row stays a row; a matrix is taken as its first column.
  X = randn(8, 3);
  Y = TrigS3(X);
  expect_near(size(Y), [8 3], 0, 'TrigS3 shape');
  expect_near(Y(:, 1), TrigS3(X(:, 1)), 0, 'TrigS3 first column');
  expect_near(Y(:, 2:3), zeros(8, 2), 0, 'TrigS3 other columns');
  expect_near(size(TrigC4(1:8)), [1 8], 0, 'TrigC4 row');
  expect_near(TrigC2(ones(1, 16) * 3), [12 zeros(1, 15)], 1e-14, 'TrigC2 constant');

  % Messages.
  expect_error(@() TrigC2(1:6), 'TrigC2 requires dyadic length');
  expect_error(@() TrigC3([]), 'TrigC3 requires dyadic length');
  expect_error(@() TrigS2(single(x)), 'TrigS2 requires real double arguments');
  expect_error(@() TrigS3(x, x), 'TrigS3 requires one input argument.');
  expect_error(@() TrigC4(1:3), 'TRIGC4 requires dyadic length');
  expect_error(@() TrigC4(), 'TRIGC4 requires one input arguments.');
  expect_error(@() TrigC4(x + 1i), 'TrigC4 requires real double arguments');
  try
    [p, q] = TrigC4(x);
    error('two outputs were accepted');
  catch err
    if isempty(strfind(err.message, 'TRIGC4 requires one output argument.'))
      rethrow(err);
    end
  end
end
