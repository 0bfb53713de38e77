function test_tables()
  % The translation-invariant and wavelet packet tables and their syntheses
  % in the real host.
  h = [1 1] / sqrt(2);
  d4 = tfmex_filter('daubechies', 4);
  x = randn(32, 1);

  % Worked examples.
  expect_near(ShiftSplit(1:8, 2, h), [3 7 11 15 9 5 9 13; 1 1 1 1 -7 1 1 1]' / sqrt(2), 1e-14, ...
              'ShiftSplit Haar');
  expect_near(PacketSplit(1:8, 2, h), ...
              [1:8; [3 7 11 15 1 1 1 1] / sqrt(2); 5 13 2 2 0 0 1 1]', 1e-13, 'PacketSplit Haar');

  % Reconstruction at every level and depth; both joins return a row.
  for L = 0:5
    T = ShiftSplit(x, L, d4);
    expect_near(size(T), [32, 6 - L], 0, 'ShiftSplit shape');
    expect_near(ShiftJoin(T, d4), x', 1e-12, sprintf('ShiftJoin(ShiftSplit) L=%d', L));
  end
  for D = 0:5
    T = PacketSplit(x', D, d4);
    expect_near(size(T), [32, D + 1], 0, 'PacketSplit shape');
    expect_near(sum(T .^ 2), repmat(sum(x .^ 2), 1, D + 1), 1e-11, 'energy per column');
    expect_near(PacketJoin(T, d4), (D + 1) * x', 1e-12, sprintf('PacketJoin(PacketSplit) D=%d', D));
  end
  expect_near(ShiftSplit(x', 2, d4), ShiftSplit(x, 2, d4), 0, 'row and column agree');

  expect_error(@() ShiftSplit(x, 2, h, 1), 'ShiftSplit requires three input arguments.');
  expect_error(@() ShiftSplit(1:6, 0, h), 'ShiftSplitT requires dyadic length');
  expect_error(@() ShiftSplit(x, -1, h), 'ShiftTable requires D < log_2(n)');
  expect_error(@() ShiftSplit(x, 1e300, h), 'ShiftTable requires D >= 0');
  expect_error(@() ShiftJoin(zeros(8, 5), h), 'ShiftJoin requires D <= log_2(n)');
  expect_error(@() PacketSplit(x, 6, h), 'PacketSplit requires D < log_2(n)');
  expect_error(@() PacketSplit(x, [], h), 'PacketSplit requires finite scalar arguments');
  expect_error(@() PacketJoin(zeros(8, 0), h), 'PacketJoin requires D >= 0');
  expect_error(@() PacketJoin(int16(zeros(8, 2)), h), 'PacketJoin requires real double arguments');
  try
    [p, q] = ShiftSplit(x, 2, h);
    error('two outputs were accepted');
  catch err
    if isempty(strfind(err.message, 'ShiftSplitT requires one output argument.'))
      rethrow(err);
    end
  end
end
