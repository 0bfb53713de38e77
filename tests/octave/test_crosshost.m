function test_crosshost()
  % The same plug-in file gives bit-identical results in Octave and in the
  % embedded host: the inputs are written with %.17g (exact for doubles),
  % the command-line program calls the plug-in on them, and both results are
  % compared bit for bit. Refused calls must give the same message in both.
  % One line per case; cases of plug-ins that are not built are skipped,
  % and every built plug-in must have a case.
  global TFMEX_BIN_DIR
  h = @(m) randn(1, m);
  cases = {
    % plug-in         inputs (from a seeded generator)             refused
    'HalveCoarse',    @() {randn(1, 16), h(4)},                     false
    'HalveCoarse',    @() {randn(1, 6), h(4)},                      true
    'HalveDetail',    @() {randn(16, 3), h(6)},                     false
    'GrowCoarse',     @() {randn(8, 1), h(4)},                      false
    'GrowDetail',     @() {randn(1, 8), h(8)},                      false
    'CircSplit',      @() {randn(32, 3), 2, h(4)},                  false
    'CircSplit',      @() {randn(1, 64), 0.6, h(8)},                false
    'CircSplit',      @() {randn(1, 64), 0},                        true
    'CircJoin',       @() {randn(1, 32), 1, h(6)},                  false
    'CircJoin',       @() {randn(16, 2), -3, h(4)},                 false
    'CircSplit2',     @() {randn(16), 1, h(4)},                     false
    'CircJoin2',      @() {randn(16), 2, h(4)},                     false
    'ShiftSplit',     @() {randn(1, 16), 1, h(4)},                  false
    'ShiftJoin',      @() {randn(16, 3), h(4)},                     false
    'PacketSplit',    @() {randn(16, 1), 3, h(4)},                  false
    'PacketJoin',     @() {randn(16, 4), h(4)},                     false
    'DualSplit',      @() {randn(16, 2), 1, h(5), h(3)},            false
    'DualJoin',       @() {randn(1, 16), 1, h(5), h(3)},            false
    'BlockMeanSplit', @() {randn(1, 27), 1, 2},                     false
    'BlockMeanJoin',  @() {randn(1, 54), 1, 2},                     false
    'CenterPredict',  @() {randn(1, 9), 2},                         false
    'CenterJoin',     @() {randn(1, 54), 1, 2},                     false
    'TriplePredict',  @() {randn(9, 1), 2},                         false
    'TrigC2',         @() {randn(1, 16)},                           false
    'TrigC3',         @() {randn(16, 1)},                           false
    'TrigS2',         @() {randn(1, 32)},                           false
    'TrigS3',         @() {randn(8, 1)},                            false
    'TrigC4',         @() {randn(1, 16)},                           false
    'BellSplit',      @() {randn(1, 32), 3, 0},                     false
    'BellJoin',       @() {randn(32, 4)},                           false
  };

  cli = fullfile(TFMEX_BIN_DIR, 'tfmex');
  work = tempname();
  mkdir(work);
  cleanup = onCleanup(@() remove_tree(work));
  ran = {};
  for c = 1:size(cases, 1)
    name = cases{c, 1};
    if exist(name) ~= 3 %#ok<EXIST>
      continue;
    end
    randn('state', c);
    args = cases{c, 2}();
    what = sprintf('case %d (%s)', c, name);
    files = cell(size(args));
    for k = 1:numel(args)
      files{k} = fullfile(work, sprintf('in%d.txt', k));
      write_matrix(files{k}, args{k});
    end
    out = fullfile(work, 'out.txt');
    if exist(out, 'file')
      delete(out);
    end
    [where, ~] = fileparts(which(name));
    cmd = sprintf('"%s" call --out "%s" --mex-dir "%s" %s%s 2>&1', cli, out, where, name, ...
                  sprintf(' "%s"', files{:}));
    [status, text] = system(cmd);
    try
      got = feval(name, args{:});
      message = '';
    catch err
      message = err.message;
    end
    if cases{c, 3}
      text = strtrim(text);
      if status ~= 1 || isempty(message) || isempty(text) ...
          || ~strcmp(message(max(1, end-numel(text)+1):end), text)
        error('%s: refused with "%s" in Octave and "%s" (status %d) in the embedded host', ...
              what, message, text, status);
      end
    else
      if status ~= 0 || ~isempty(message)
        error('%s: failed: "%s" in Octave, "%s" (status %d) in the embedded host', ...
              what, message, strtrim(text), status);
      end
      want = read_matrix(out);
      if ~same_bits(got, want)
        error('%s: Octave and the embedded host differ (size %s and %s, largest difference %g)', ...
              what, mat2str(size(got)), mat2str(size(want)), max(abs(got(:) - want(:))));
      end
    end
    ran{end+1} = name; %#ok<AGROW>
  end

  built = dir(fullfile(fileparts(TFMEX_BIN_DIR), 'mex', '*.mex'));
  missing = setdiff(cellfun(@(f) f(1:end-4), {built.name}, 'UniformOutput', false), cases(:, 1)');
  if ~isempty(missing)
    error('no cross-host case for %s', strjoin(missing, ', '));
  end
  if numel(unique(ran)) ~= numel(built)
    error('ran cases for %d plug-ins, %d are built', numel(unique(ran)), numel(built));
  end
end

function write_matrix(file, a)
  fid = fopen(file, 'w');
  for r = 1:size(a, 1)
    fprintf(fid, ' %.17g', a(r, :));
    fprintf(fid, '\n');
  end
  fclose(fid);
end

function a = read_matrix(file)
  text = fileread(file);
  lines = strsplit(regexprep(text, '\n$', ''), "\n");
  if isempty(text)
    a = zeros(0, 0);
    return;
  end
  rows = cellfun(@(l) sscanf(l, '%f')', lines, 'UniformOutput', false);
  a = vertcat(rows{:});
  if isempty(a)
    a = zeros(numel(lines), 0);
  end
end

function same = same_bits(a, b)
  % Equal shapes (any empty matches any empty: text cannot carry a 0 x n
  % shape) and equal bit patterns, so -0 and 0 differ.
  if isempty(a) || isempty(b)
    same = isempty(a) && isempty(b);
    return;
  end
  same = isequal(size(a), size(b)) && isequal(typecast(a(:), 'uint64'), typecast(b(:), 'uint64'));
end

function remove_tree(folder)
  old = confirm_recursive_rmdir(false);
  rmdir(folder, 's');
  confirm_recursive_rmdir(old);
end
