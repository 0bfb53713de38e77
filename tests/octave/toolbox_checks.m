function names = toolbox_checks(folder)
  % Every toolbox function help/tfmex_*.m of the source tree must resolve to
  % its copy in `folder` and show its help there; the filter check, which
  % every other toolbox function calls first, must work from there.
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
end
