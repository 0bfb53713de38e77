function test_help()
  % Help files: one per plug-in in help/, in one format, shown by `help` for
  % every built plug-in, with examples that run and say what they return,
  % and a Contents.m that lists them all with their summaries. The toolbox
  % functions help/tfmex_*.m follow the same format in their first comment
  % block, are copied beside the plug-ins, and their examples run there.
  global TFMEX_BIN_DIR
  here = fileparts(mfilename('fullpath'));
  src = fullfile(fileparts(fileparts(here)), 'help');
  mexdir = fullfile(fileparts(TFMEX_BIN_DIR), 'mex');

  files = dir(fullfile(src, '*.m'));
  all_names = setdiff({files.name}, {'Contents.m'});
  all_names = cellfun(@(f) f(1:end-2), all_names, 'UniformOutput', false);
  toolbox = all_names(strncmp(all_names, 'tfmex_', 6));
  names = setdiff(all_names, toolbox);
  if numel(names) ~= 26
    error('help/ holds %d plug-in help files, expected 26', numel(names));
  end

  % Format of each file, independent of what is built.
  summaries = struct();
  for k = 1:numel(all_names)
    name = all_names{k};
    lines = help_lines(fullfile(src, [name '.m']), any(strcmp(toolbox, name)));
    h1 = regexp(lines{1}, ['^% ' upper(name) '  (\S.*\.)$'], 'tokens', 'once');
    if isempty(h1)
      error('%s.m: H1 line "%s" is not "%% %s  Summary."', name, lines{1}, upper(name));
    end
    summaries.(name) = h1{1};
    if ~any(~cellfun(@isempty, regexp(lines, ['= ' name '\('])))
      error('%s.m: no call form "... = %s(...)"', name, name);
    end
    also = regexp(lines{end}, '^%   See also (\w+(, \w+)*)\.$', 'tokens', 'once');
    if isempty(also)
      error('%s.m: last line "%s" is not a "See also" line', name, lines{end});
    end
    partners = strsplit(also{1}, ', ');
    unknown = setdiff(partners, all_names);
    if ~isempty(unknown) || any(strcmp(partners, name))
      error('%s.m: "See also" names %s', name, strjoin([unknown, {name}], ', '));
    end
    if ~any(strcmp(lines, '%   Example:'))
      error('%s.m: no Example section', name);
    end
    % Octave's help ends at the first line that is not a comment.
    if isempty(strfind(get_help_text(fullfile(src, [name '.m'])), 'See also'))
      error('%s.m: help stops before its "See also" line (a blank line among the comments?)', name);
    end
  end

  % Contents.m lists every plug-in and toolbox function once, with its H1 summary.
  listed = {};
  for line = read_lines(fullfile(src, 'Contents.m'))
    entry = regexp(line{1}, '^%   (\w+) +- (.*)$', 'tokens', 'once');
    if isempty(entry)
      continue;
    end
    if ~isfield(summaries, entry{1}) || ~strcmp(summaries.(entry{1}), entry{2})
      error('Contents.m: "%s - %s" does not match help/%s.m', entry{1}, entry{2}, entry{1});
    end
    listed{end+1} = entry{1}; %#ok<AGROW>
  end
  if ~isequal(sort(listed), sort(all_names))
    error('Contents.m lists %s; help/ has %s', strjoin(sort(listed), ' '), strjoin(sort(all_names), ' '));
  end

  % Every built plug-in: help beside it, `help` prints its H1 line, the call
  % still reaches the compiled plug-in, and the example holds.
  built = dir(fullfile(mexdir, '*.mex'));
  if isempty(built)
    error('no plug-ins in %s', mexdir);
  end
  for k = 1:numel(built)
    name = built(k).name(1:end-4);
    if ~any(strcmp(names, name))
      error('plug-in %s has no help file in help/', name);
    end
    if ~exist(fullfile(mexdir, [name '.m']), 'file')
      error('no help file beside %s.mex', name);
    end
    text = evalc(['help ' name]);
    shown = strtrim(strsplit(text, "\n"));
    if ~any(strcmp(shown, [upper(name) '  ' summaries.(name)]))
      error('help %s does not show its H1 line; it shows:\n%s', name, text);
    end
    if ~strcmp(which(name), fullfile(mexdir, [name '.mex']))
      error('%s resolves to %s, not to the plug-in', name, which(name));
    end
    run_example(name, read_lines(fullfile(src, [name '.m'])));
  end

  % Every toolbox function: beside the plug-ins, the same file, `help`
  % shows its H1 line, and its example runs from there.
  for k = 1:numel(toolbox)
    name = toolbox{k};
    if ~strcmp(which(name), fullfile(mexdir, [name '.m']))
      error('%s resolves to "%s", not to a copy beside the plug-ins', name, which(name));
    end
    if ~strcmp(fileread(which(name)), fileread(fullfile(src, [name '.m'])))
      error('%s.m beside the plug-ins differs from help/%s.m', name, name);
    end
    text = evalc(['help ' name]);
    shown = strtrim(strsplit(text, "\n"));
    if ~any(strcmp(shown, [upper(name) '  ' summaries.(name)]))
      error('help %s does not show its H1 line; it shows:\n%s', name, text);
    end
    run_example(name, help_lines(fullfile(src, [name '.m']), true));
  end
end

function lines = help_lines(file, is_function)
  % The help text: the whole of a plug-in's help file (comments only), or
  % the first comment block after the function line of a toolbox function.
  lines = read_lines(file);
  if ~is_function
    if ~all(strncmp(lines, '%', 1))
      error('%s: only comment lines belong in a help file', file);
    end
    return;
  end
  if isempty(regexp(lines{1}, '^function ', 'once'))
    error('%s: the first line is not a function line', file);
  end
  last = find(~strncmp(lines(2:end), '%', 1), 1);
  if isempty(last)
    last = numel(lines);
  end
  lines = lines(2:last);
end

function lines = read_lines(file)
  text = fileread(file);
  lines = strsplit(regexprep(text, '\n$', ''), "\n");
end

function run_example(plugin, lines)
  % Runs the example lines of a help text. A trailing comment states the
  % result: either "lhs = value" or the value of the variable just assigned.
  start = find(strcmp(lines, '%   Example:'));
  for k = start+1:numel(lines)
    line = regexprep(lines{k}, '^%', '');
    if isempty(strtrim(line))
      break;
    end
    mark = find(line == '%', 1);
    if isempty(mark)
      code = line;
      claim = '';
    else
      code = line(1:mark-1);
      claim = strtrim(line(mark+1:end));
    end
    eval([code ';']);
    if isempty(claim)
      continue;
    end
    sides = regexp(claim, '^([^=]+?)\s*=\s*([^=].*)$', 'tokens', 'once');
    if isempty(sides)
      lhs = regexp(code, '^\s*(\w+)\s*=', 'tokens', 'once');
      sides = {lhs{1}, claim};
    end
    got = eval(sides{1});
    want = eval(sides{2});
    expect_near(got, want, 1e-4 * max(1, max(abs(want(:)))), ...
                sprintf('%s example "%s"', plugin, strtrim(line)));
  end
end
