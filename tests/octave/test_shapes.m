function test_shapes()
  % Output shapes of every plug-in for a row, a column, a matrix and a
  % single value, and which values of a matrix each plug-in reads. One row
  % per plug-in; its kind says how a matrix is read:
  %   first    the first column is the signal; a row gives a row, else a column
  %   columns  every column is a signal; the output has the input's shape
  %   square   a square image; the output has its shape
  %   split    the first column (or the row) is the signal; the output is a table
  %   join     the argument is a table (never transposed); the output is a row
  %   trig     the first column is the signal; the output has the input's
  %            shape with the transform in its first column and zeros elsewhere
  %   triadic  the length is the column count (the row count of a column);
  %            the first values in storage order are read; the output is a row
  % Rows of plug-ins that are not built are skipped; every built plug-in
  % must have a row.
  global TFMEX_BIN_DIR
  randn('state', 11);
  d4 = tfmex_filter('daubechies', 4);
  qmf = sqrt(2) * [-1 2 6 2 -1] / 8;
  dqmf = sqrt(2) * [1 2 1] / 4;
  % plug-in, call on the signal s, length, kind, output size for a row,
  % for a column, for a single value ([] where a single value is refused)
  cases = {
    'HalveCoarse',    @(s) HalveCoarse(s, d4),          8,  'first',   [1 4],  [4 1],  [1 0]
    'HalveDetail',    @(s) HalveDetail(s, d4),          8,  'first',   [1 4],  [4 1],  [1 0]
    'GrowCoarse',     @(s) GrowCoarse(s, d4),           4,  'first',   [1 8],  [8 1],  [1 2]
    'GrowDetail',     @(s) GrowDetail(s, d4),           4,  'first',   [1 8],  [8 1],  [1 2]
    'CircSplit',      @(s) CircSplit(s, 1, d4),         8,  'columns', [1 8],  [8 1],  [1 1]
    'CircJoin',       @(s) CircJoin(s, 1, d4),          8,  'columns', [1 8],  [8 1],  [1 1]
    'DualSplit',      @(s) DualSplit(s, 1, qmf, dqmf),  8,  'columns', [1 8],  [8 1],  [1 1]
    'DualJoin',       @(s) DualJoin(s, 1, qmf, dqmf),   8,  'columns', [1 8],  [8 1],  [1 1]
    'CircSplit2',     @(s) CircSplit2(s, 1, d4),        8,  'square',  [],     [],     [1 1]
    'CircJoin2',      @(s) CircJoin2(s, 1, d4),         8,  'square',  [],     [],     [1 1]
    'ShiftSplit',     @(s) ShiftSplit(s, 0, d4),        8,  'split',   [8 4],  [8 4],  [1 1]
    'PacketSplit',    @(s) PacketSplit(s, 2, d4),       8,  'split',   [8 3],  [8 3],  []
    'BellSplit',      @(s) BellSplit(s, 2, 0),          8,  'split',   [8 3],  [8 3],  []
    'ShiftJoin',      @(t) ShiftJoin(t, d4),            8,  'join',    [],     [1 8],  [1 1]
    'PacketJoin',     @(t) PacketJoin(t, d4),           8,  'join',    [],     [1 8],  [1 1]
    'BellJoin',       @(t) BellJoin(t),                 8,  'join',    [],     [1 8],  [1 1]
    'TrigC2',         @(s) TrigC2(s),                   8,  'trig',    [1 8],  [8 1],  [1 1]
    'TrigC3',         @(s) TrigC3(s),                   8,  'trig',    [1 8],  [8 1],  [1 1]
    'TrigS2',         @(s) TrigS2(s),                   8,  'trig',    [1 8],  [8 1],  [1 1]
    'TrigS3',         @(s) TrigS3(s),                   8,  'trig',    [1 8],  [8 1],  [1 1]
    'TrigC4',         @(s) TrigC4(s),                   8,  'trig',    [1 8],  [8 1],  [1 1]
    'BlockMeanSplit', @(s) BlockMeanSplit(s, 1, 2),     9,  'triadic', [1 18], [1 18], [1 2]
    'BlockMeanJoin',  @(s) BlockMeanJoin(s, 1, 2),      18, 'triadic', [1 9],  [1 9],  []
    'CenterJoin',     @(s) CenterJoin(s, 1, 2),         18, 'triadic', [1 9],  [1 9],  []
    'CenterPredict',  @(s) CenterPredict(s, 2),         5,  'triadic', [1 15], [1 15], []
    'TriplePredict',  @(s) TriplePredict(s, 2),         5,  'triadic', [1 15], [1 15], []
  };

  for c = 1:size(cases, 1)
    [name, f, n, kind, row_size, col_size, one_size] = cases{c, :};
    if exist(name) ~= 3 %#ok<EXIST>
      continue;
    end
    s = randn(n, 1);
    M = randn(n, 3);
    if ~isempty(one_size)
      expect_near(size(f(0.5)), one_size, 0, [name ' of a single value']);
    end
    switch kind
      case 'first'
        expect_near(size(f(s')), row_size, 0, [name ' of a row']);
        expect_near(f(s'), f(s)', 0, [name ' of a row and of a column']);
        expect_near(f(M), f(M(:, 1)), 0, [name ' of a matrix reads its first column']);
        expect_near(size(f(M)), col_size, 0, [name ' of a matrix']);
      case 'columns'
        expect_near(f(s'), f(s)', 0, [name ' of a row and of a column']);
        Y = f(M);
        expect_near(size(Y), [n 3], 0, [name ' of a matrix']);
        for k = 1:3
          expect_near(Y(:, k), f(M(:, k)), 0, sprintf('%s of a matrix, column %d', name, k));
        end
      case 'square'
        expect_near(size(f(randn(n))), [n n], 0, [name ' of a square']);
        expect_near(f(0.5), 0.5, 0, [name ' of a single value']);
      case 'split'
        expect_near(size(f(s)), col_size, 0, [name ' of a column']);
        expect_near(f(s'), f(s), 0, [name ' of a row and of a column']);
        expect_near(f(M), f(M(:, 1)), 0, [name ' of a matrix reads its first column']);
      case 'join'
        expect_near(size(f(s)), col_size, 0, [name ' of a one-column table']);
        expect_near(size(f(M)), [1 n], 0, [name ' of a table']);
      case 'trig'
        expect_near(size(f(s')), row_size, 0, [name ' of a row']);
        expect_near(f(s'), f(s)', 0, [name ' of a row and of a column']);
        Y = f(M);
        expect_near(size(Y), [n 3], 0, [name ' of a matrix']);
        expect_near(Y(:, 1), f(M(:, 1)), 0, [name ' of a matrix, first column']);
        expect_near(Y(:, 2:3), zeros(n, 2), 0, [name ' of a matrix, other columns']);
      case 'triadic'
        expect_near(size(f(s')), row_size, 0, [name ' of a row']);
        expect_near(f(s), f(s'), 0, [name ' of a row and of a column']);
        W = randn(3, n);   % n columns: n values, the first n in storage order
        expect_near(f(W), f(W(1:n)), 0, [name ' of a 3 x n matrix']);
        W = W';            % three columns: three values
        expect_near(f(W), f(W(1:3)), 0, [name ' of an n x 3 matrix']);
    end
  end

  % Edge shapes named by the plug-ins' rules.
  if exist('HalveCoarse') == 3 %#ok<EXIST>
    expect_near(size(HalveCoarse(zeros(1, 1), d4)), [1 0], 0, 'HalveCoarse of 1 x 1 is 1 x 0');
    expect_near(GrowCoarse(2, [1 1] / sqrt(2)), [sqrt(2) sqrt(2)], 1e-15, 'GrowCoarse of one value');
  end
  if exist('BlockMeanJoin') == 3 %#ok<EXIST>
    wc = randn(1, 19);   % 2n + 1 values: the last is ignored
    expect_near(BlockMeanJoin(wc, 1, 2), BlockMeanJoin(wc(1:18), 1, 2), 0, 'BlockMeanJoin of 2n + 1 values');
    expect_near(CenterJoin(wc', 1, 2), CenterJoin(wc(1:18), 1, 2), 0, 'CenterJoin of 2n + 1 values');
  end
  if exist('BellSplit') == 3 %#ok<EXIST>
    % D by half-up truncation: -1 and -1.4 give 0, 2.49 gives 2.
    x = randn(1, 8);
    expect_near(BellSplit(x, -1, 0), BellSplit(x, 0, 0), 0, 'BellSplit D = -1 is D = 0');
    expect_near(size(BellSplit(x, 2.49, 0)), [8 3], 0, 'BellSplit D = 2.49');
    expect_near(size(BellJoin(zeros(1, 1))), [1 1], 0, 'BellJoin of 1 x 1');
  end

  mex = dir(fullfile(fileparts(TFMEX_BIN_DIR), 'mex', '*.mex'));
  missing = setdiff(cellfun(@(f) f(1:end-4), {mex.name}, 'UniformOutput', false), cases(:, 1)');
  if ~isempty(missing)
    error('no shape rows for %s', strjoin(missing, ', '));
  end
end
