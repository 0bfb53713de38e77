function names = toolbox_checks(folder)
  % Every toolbox function help/tfmex_*.m of the source tree must resolve to
  % its copy in `folder` and show its help there; the filter check, which
  % every other toolbox function calls first, and the shared argument checks
  % in private/ must work from there.
  % Returns the names found.
  files = dir(fullfile(getenv('TFMEX_SOURCE_DIR'), 'help', 'tfmex_*.m'));
  names = cellfun(@(f) f(1:end-2), {files.name}, 'UniformOutput', false);
  if isempty(names)
    error('no toolbox functions help/tfmex_*.m in "%s"', getenv('TFMEX_SOURCE_DIR'));
  end
  for k = 1:numel(names)
    name = names{k};
    if ~strcmp(which(name), fullfile(folder, [name '.m']))
      error('%s resolves to "%s", not to %s', name, which(name), folder);
    end
    text = evalc(['help ' name]);
    if isempty(strfind(text, [upper(name) '  ']))
      error('help %s does not show its help text:\n%s', name, text);
    end
  end
  if ~tfmex_checkfilter([1 1] / sqrt(2))
    error('tfmex_checkfilter refuses the Haar filter');
  end
  % The shared argument checks (help/private) came along: a refusal carries
  % its identifier, and a filter by name resolves.
  try
    tfmex_gaussian('4', 1);
    error('tfmex_gaussian took text for N in %s', folder);
  catch err
    if ~strcmp(err.identifier, 'tfmex:gaussian:class')
      error('tfmex_gaussian(''4'', 1) in %s: %s (%s)', folder, err.message, err.identifier);
    end
  end
  if ~exist(fullfile(folder, 'private', 'tfmex_fail.m'), 'file')
    error('no private/tfmex_fail.m beside the toolbox functions in %s', folder);
  end
end
