function test_messages()
  % Every message of every plug-in, compared whole as Octave shows it:
  % "<Plugin>: <text>". Two tables drive the calls:
  %  - one row per plug-in with a call it accepts and its argument-count
  %    messages; from it come the calls with one input too few or too many,
  %    with two outputs and with none, an argument of a wrong class in every
  %    position the plug-in reads, and a non-finite or empty value in every
  %    scalar position;
  %  - one row per remaining message (lengths, shapes, ranges), plus rows
  %    that fix which check wins when a call breaks several rules.
  % Rows of plug-ins that are not built are skipped; every built plug-in
  % must have a row in the first table.
  global TFMEX_BIN_DIR
  randn('state', 3);
  h = [1 1] / sqrt(2);
  d4 = tfmex_filter('daubechies', 4);
  qmf = sqrt(2) * [-1 2 6 2 -1] / 8;
  dqmf = sqrt(2) * [1 2 1] / 4;
  x8 = randn(1, 8);
  X = randn(8, 2);
  T = randn(8, 3);

  three = ' requires three input arguments.';
  two = ' requires two input arguments.';
  one = ' requires one input argument.';
  four = ' requires four input arguments.';
  out = ' requires one output argument.';
  % plug-in, accepted call, input message, output message,
  % argument positions read (class check), scalar positions
  plugins = {
    'HalveCoarse',    {x8, h},               ['HalveCoarse' two],    ['HalveCoarse' out],    1:2, []
    'HalveDetail',    {x8, h},               ['HalveDetail' two],    ['HalveDetail' out],    1:2, []
    'GrowCoarse',     {x8(1:4), h},          ['GrowCoarse' two],     ['GrowCoarse' out],     1:2, []
    'GrowDetail',     {x8(1:4), h},          ['GrowDetail' two],     ['GrowDetail' out],     1:2, []
    'CircSplit',      {X, 1, d4},            ['CircSplit' three],    ['CircSplit' out],      1:3, 2
    'CircJoin',       {X, 1, d4},            ['CircJoin' three],     ['CircJoin' out],       1:3, 2
    'CircSplit2',     {randn(8), 1, d4},     'CircSplit2 requires 3 input arguments.', ['CircSplit2' out], 1:3, 2
    'CircJoin2',      {randn(8), 1, d4},     'CircJoin2 requires 3 input arguments.',  ['CircJoin2' out],  1:3, 2
    'ShiftSplit',     {x8, 1, h},            ['ShiftSplit' three],   ['ShiftSplitT' out],    1:3, 2
    'ShiftJoin',      {T, h},                ['ShiftJoin' two],      ['ShiftJoin' out],      1:2, []
    'PacketSplit',    {x8, 2, h},            ['PacketSplit' three],  ['PacketSplit' out],    1:3, 2
    'PacketJoin',     {T, h},                ['PacketJoin' two],     ['PacketJoin' out],     1:2, []
    'DualSplit',      {X, 1, qmf, dqmf},     ['DualSplit' four],     ['DualSplit' out],      1:4, 2
    'DualJoin',       {X, 1, qmf, dqmf},     ['DualJoin' four],      ['DualJoin' out],       1:4, 2
    'BlockMeanSplit', {randn(1, 9), 1, 2},   ['CenterSplit' three],  ['CenterSplit' out],    1:3, [2 3]
    'BlockMeanJoin',  {randn(1, 18), 1, 2},  ['CenterJoin' three],   ['CenterJoin' out],     1:3, [2 3]
    'CenterJoin',     {randn(1, 18), 1, 2},  ['CenterJoin' three],   ['CenterJoin' out],     1:3, [2 3]
    'CenterPredict',  {randn(1, 5), 2},      ['CenterPredict' two],  ['CenterPredict' out],  1:2, 2
    'TriplePredict',  {randn(1, 5), 2},      ['TriplePredict' two],  ['TriplePredict' out],  1:2, 2
    'TrigC2',         {x8},                  ['TrigC2' one],         ['TrigC2' out],         1,   []
    'TrigC3',         {x8},                  ['TrigC3' one],         ['TrigC3' out],         1,   []
    'TrigS2',         {x8},                  ['TrigS2' one],         ['TrigS2' out],         1,   []
    'TrigS3',         {x8},                  ['TrigS3' one],         ['TrigS3' out],         1,   []
    'TrigC4',         {x8},                  'TRIGC4 requires one input arguments.', ['TRIGC4' out], 1, []
    'BellSplit',      {x8, 2, 0},            ['BellSplit' three],    ['BellSplit' out],      1:2, 2
    'BellJoin',       {T},                   ['BellJoin' one],       ['BellJoin' out],       1,   []
  };
  % Arguments of a class other than real full double, each refused.
  wrong = {@single, @int32, @(a) a + 1i, @sparse, @(a) a > 0, @(a) char(65 + 0 * a), @(a) {a}};
  wrong_names = {'single', 'int32', 'complex', 'sparse', 'logical', 'char', 'cell'};
  % Scalar arguments that hold no finite number, each refused.
  nonfinite = {NaN, Inf, -Inf, [], zeros(1, 0), [NaN 1]};

  for r = 1:size(plugins, 1)
    [name, args, in_msg, out_msg, typed, scalars] = plugins{r, :};
    if ~built(name)
      continue;
    end
    out1 = feval(name, args{:}); %#ok<NASGU> (the accepted call must pass)
    % Argument counts: the input count is tested before the output count.
    if strcmp(name, 'BellJoin')
      refuses(name, {}, 1, in_msg);                   % at least one input
      refuses(name, {}, 2, in_msg);
      out1 = feval(name, args{:}, 'ignored', 7); %#ok<NASGU> further inputs are ignored
    else
      refuses(name, args(1:end-1), 1, in_msg);
      refuses(name, [args, {1}], 1, in_msg);
      refuses(name, args(1:end-1), 2, in_msg);
      refuses(name, args(1:end-1), 0, in_msg);
    end
    refuses(name, args, 2, out_msg);
    refuses(name, args, 0, out_msg);
    % Classes, in every position read.
    for k = typed
      for w = 1:numel(wrong)
        bad = args;
        bad{k} = wrong{w}(args{k});
        refuses(name, bad, 1, [name ' requires real double arguments'], ...
                sprintf('%s argument %d', wrong_names{w}, k));
      end
    end
    % Scalars that are not finite numbers.
    for k = scalars
      for v = 1:numel(nonfinite)
        bad = args;
        bad{k} = nonfinite{v};
        refuses(name, bad, 1, [name ' requires finite scalar arguments'], ...
                sprintf('argument %d = %s', k, mat2str(nonfinite{v})));
      end
    end
  end

  % One row per remaining message, then rows on which check comes first.
  rows = {
    % Lengths: not a power of two, and nothing at all.
    'HalveCoarse',    {1:6, h},                   'HalveCoarse requires dyadic length'
    'HalveCoarse',    {zeros(0, 3), h},           'HalveCoarse requires dyadic length'
    'HalveDetail',    {ones(6, 2), h},            'HalveDetail requires dyadic length'
    'GrowCoarse',     {1:3, h},                   'GrowCoarse requires dyadic length'
    'GrowDetail',     {(1:6)', h},                'GrowDetail requires dyadic length'
    'CircSplit',      {1:6, 0, h},                'CircSplit requires dyadic length'
    'CircSplit',      {zeros(4, 0), 0, h},        'CircSplit requires dyadic length'
    'CircJoin',       {ones(12, 2), 0, h},        'CircJoin requires dyadic length'
    'CircSplit2',     {ones(2, 4), 0, h},         'CircSplit2 requires a square array'
    'CircSplit2',     {ones(4, 1), 0, h},         'CircSplit2 requires a square array'
    'CircSplit2',     {ones(3), 0, h},            'CircSplit2 requires dyadic length sides'
    'CircSplit2',     {[], 0, h},                 'CircSplit2 requires dyadic length sides'
    'CircJoin2',      {ones(1, 2), 0, h},         'CircJoin2 requires a square array'
    'CircJoin2',      {ones(6), 0, h},            'CircJoin2D requires dyadic length sides'
    'ShiftSplit',     {1:6, 0, h},                'ShiftSplitT requires dyadic length'
    'ShiftSplit',     {x8, -1, h},                'ShiftTable requires D < log_2(n)'
    'ShiftSplit',     {x8, -0.6, h},              'ShiftTable requires D < log_2(n)'
    'ShiftSplit',     {x8, 4, h},                 'ShiftTable requires D >= 0'
    'ShiftSplit',     {x8, 1e300, h},             'ShiftTable requires D >= 0'
    'ShiftJoin',      {ones(6, 2), h},            'ShiftJoin requires dyadic length'
    'ShiftJoin',      {ones(8, 5), h},            'ShiftJoin requires D <= log_2(n)'
    'ShiftJoin',      {x8, h},                    'ShiftJoin requires D <= log_2(n)'
    'ShiftJoin',      {zeros(8, 0), h},           'ShiftJoin requires D >= 0'
    'PacketSplit',    {(1:12)', 0, h},            'PacketSplit requires dyadic length'
    'PacketSplit',    {x8, 4, h},                 'PacketSplit requires D < log_2(n)'
    'PacketSplit',    {x8, 3.5, h},               'PacketSplit requires D < log_2(n)'
    'PacketSplit',    {x8, -1, h},                'PacketSplit requires D >= 0'
    'PacketSplit',    {x8, -1e300, h},            'PacketSplit requires D >= 0'
    'PacketJoin',     {ones(3, 1), h},            'PacketJoin requires dyadic length'
    'PacketJoin',     {ones(4, 4), h},            'PacketJoin requires D <= log_2(n)'
    'PacketJoin',     {zeros(4, 0), h},           'PacketJoin requires D >= 0'
    'DualSplit',      {1:6, 0, qmf, dqmf},        'DualSplit requires dyadic length'
    'DualJoin',       {ones(6, 3), 0, qmf, dqmf}, 'DualJoin requires dyadic length'
    'DualJoin',       {X, 0, d4, dqmf},           'DualJoin requires odd-length filters'
    'DualJoin',       {X, 0, qmf, [1 1]},         'DualJoin requires odd-length filters'
    'DualJoin',       {X, 0, qmf, []},            'DualJoin requires odd-length filters'
    'BlockMeanSplit', {1:9, 0, 2},                'In CenterSplit: L must be >= 1'
    'BlockMeanSplit', {1:9, 0.999, 2},            'In CenterSplit: L must be >= 1'
    'BlockMeanSplit', {1:6, 1, 2},                'CenterSplit requires triadic length input'
    'BlockMeanSplit', {[], 1, 2},                 'CenterSplit requires triadic length input'
    'BlockMeanJoin',  {1:18, -2, 2},              'In CenterJoin: L must be >= 1'
    'BlockMeanJoin',  {1:4, 1, 2},                'Input WC to CenterJoin is of incompatible size'
    'BlockMeanJoin',  {1, 1, 2},                  'Input WC to CenterJoin is of incompatible size'
    'CenterJoin',     {1:18, 0.5, 2},             'In CenterJoin: L must be >= 1'
    'CenterJoin',     {(1:4)', 1, 2},             'Input WC to CenterJoin is of incompatible size'
    'CenterJoin',     {1, 1, 2},                  'Input WC to CenterJoin is of incompatible size'
    'CenterPredict',  {[1 2], 2},                 'CenterPredict requires at least three values for D = 2'
    'CenterPredict',  {[], 2.9},                  'CenterPredict requires at least three values for D = 2'
    'TriplePredict',  {[1; 2], 2.5},              'TriplePredict requires at least three values for D = 2'
    'TrigC2',         {1:6},                      'TrigC2 requires dyadic length'
    'TrigC2',         {zeros(0, 4)},              'TrigC2 requires dyadic length'
    'TrigC3',         {ones(12, 2)},              'TrigC3 requires dyadic length'
    'TrigS2',         {[]},                       'TrigS2 requires dyadic length'
    'TrigS3',         {(1:3)'},                   'TrigS3 requires dyadic length'
    'TrigC4',         {1:3},                      'TRIGC4 requires dyadic length'
    'TrigC4',         {[]},                       'TRIGC4 requires dyadic length'
    'BellSplit',      {1:6, 0, 0},                'BellSplit requires dyadic length'
    'BellSplit',      {x8, 4, 0},                 'BellSplit requires D <= log_2(n)'
    'BellSplit',      {x8, 3.5, 0},               'BellSplit requires D <= log_2(n)'
    'BellSplit',      {x8, 1e300, 0},             'BellSplit requires D <= log_2(n)'
    'BellSplit',      {x8, -1.5, 0},              'BellSplit requires D >= 0'
    'BellSplit',      {x8, -1e300, 0},            'BellSplit requires D >= 0'
    'BellJoin',       {ones(6, 2)},               'BellJoin requires dyadic length'
    'BellJoin',       {ones(1, 3)},               'BellJoin requires D <= log_2(n)'
    'BellJoin',       {zeros(8, 0)},              'BellJoin requires D >= 0'
    % Which check wins: class before length, length before scalar and
    % range, square before sides, the level before the triadic length.
    'CircSplit',      {single(1:6), NaN, h},      'CircSplit requires real double arguments'
    'CircJoin',       {1:6, NaN, h},              'CircJoin requires dyadic length'
    'CircSplit2',     {ones(3, 6), NaN, h},       'CircSplit2 requires a square array'
    'ShiftSplit',     {1:6, NaN, h},              'ShiftSplitT requires dyadic length'
    'ShiftJoin',      {ones(6, 9), h},            'ShiftJoin requires dyadic length'
    'PacketSplit',    {x8, NaN, int8(h)},         'PacketSplit requires real double arguments'
    'DualJoin',       {1:6, 0, d4, dqmf},         'DualJoin requires dyadic length'
    'BlockMeanSplit', {int8(1:6), 0, 2},          'BlockMeanSplit requires real double arguments'
    'BlockMeanSplit', {1:6, 0, 2},                'In CenterSplit: L must be >= 1'
    'BlockMeanSplit', {1:6, 1, NaN},              'CenterSplit requires triadic length input'
    'CenterJoin',     {1:4, 0, NaN},              'In CenterJoin: L must be >= 1'
    'CenterJoin',     {1:4, NaN, 2},              'CenterJoin requires finite scalar arguments'
    'TriplePredict',  {[1 2], NaN},               'TriplePredict requires finite scalar arguments'
    'BellSplit',      {1:6, 9, 0},                'BellSplit requires dyadic length'
    'BellJoin',       {ones(6, 0)},               'BellJoin requires dyadic length'
  };
  for r = 1:size(rows, 1)
    if built(rows{r, 1})
      refuses(rows{r, 1}, rows{r, 2}, 1, rows{r, 3});
    end
  end

  % Every built plug-in has its row in the first table.
  mex = dir(fullfile(fileparts(TFMEX_BIN_DIR), 'mex', '*.mex'));
  missing = setdiff(cellfun(@(f) f(1:end-4), {mex.name}, 'UniformOutput', false), plugins(:, 1)');
  if ~isempty(missing)
    error('no message rows for %s', strjoin(missing, ', '));
  end
end

function yes = built(name)
  yes = exist(name) == 3; %#ok<EXIST>
end

function refuses(name, args, nout, text, what)
  % name(args{:}) with nout outputs must fail with exactly "name: text".
  if nargin < 5
    what = '';
  end
  want = [name ': ' text];
  try
    switch nout
      case 0
        feval(name, args{:});
      case 1
        a = feval(name, args{:}); %#ok<NASGU>
      case 2
        [a, b] = feval(name, args{:}); %#ok<ASGLU>
    end
  catch err
    if ~strcmp(err.message, want)
      error('%s with %d inputs, %d outputs %s: expected "%s", got "%s"', ...
            name, numel(args), nout, what, want, err.message);
    end
    return;
  end
  error('%s with %d inputs, %d outputs %s: expected "%s", but the call succeeded', ...
        name, numel(args), nout, what, want);
end
