function check_host_symbols(folder)
  % Every host operation (mx* and mex* name) that a plug-in in FOLDER leaves
  % undefined must be one this Octave's interpreter library exports, and every
  % plug-in must define mexFunction: built with the host's own mex.h, the
  % plug-ins call only names this host provides.
  libdir = strtrim(mkoctfile('-p', 'OCTLIBDIR'));
  exported = symbols(sprintf('nm -D --defined-only "%s"', fullfile(libdir, 'liboctinterp.so')));
  files = dir(fullfile(folder, '*.mex'));
  if isempty(files)
    error('no plug-ins in %s', folder);
  end
  for k = 1:numel(files)
    file = fullfile(folder, files(k).name);
    undefined = symbols(sprintf('nm -D --undefined-only "%s"', file));
    host = undefined(~cellfun(@isempty, regexp(undefined, '^(mx|mex)[A-Z]', 'once')));
    if isempty(host)
      error('%s calls no host operation', files(k).name);
    end
    missing = setdiff(host, exported);
    if ~isempty(missing)
      error('%s needs %s, which %s does not export', files(k).name, strjoin(missing, ' '), libdir);
    end
    if ~any(strcmp(symbols(sprintf('nm -D --defined-only "%s"', file)), 'mexFunction'))
      error('%s does not export mexFunction', files(k).name);
    end
  end
end

function names = symbols(command)
  % The symbol names nm lists, without their version suffixes.
  [status, out] = system(command);
  if status ~= 0
    error('%s failed:\n%s', command, out);
  end
  names = {};
  for line = strsplit(strtrim(out), "\n")
    words = strsplit(strtrim(line{1}));
    if ~isempty(words{end})
      names{end+1} = regexprep(words{end}, '@.*$', ''); %#ok<AGROW>
    end
  end
end
