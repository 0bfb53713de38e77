function check_build_script()
  % tfmex_build compiles every plug-in with the host's mex command into a
  % folder of the caller's choice (created on demand), with help files
  % and the toolbox functions beside them, each plug-in calling only host
  % operations this Octave exports; the plug-ins of every family work from there.
  root = getenv('TFMEX_SOURCE_DIR');
  expected = strsplit(getenv('TFMEX_PLUGINS'), ',');
  work = tempname();
  mkdir(work);
  cleanup = onCleanup(@() remove_tree(work));
  folder = fullfile(work, 'new folder', 'mex');

  addpath(root);
  names = tfmex_build(folder);
  rmpath(root);
  if ~isequal(sort(names), sort(expected))
    error('tfmex_build built %s; expected %s', strjoin(sort(names), ' '), strjoin(sort(expected), ' '));
  end
  if ~exist(fullfile(folder, 'Contents.m'), 'file')
    error('no Contents.m in %s', folder);
  end
  check_host_symbols(folder);
  addpath(folder);
  for k = 1:numel(names)
    text = evalc(['help ' names{k}]);
    if isempty(strfind(text, [upper(names{k}) '  ']))
      error('help %s does not show its help text:\n%s', names{k}, text);
    end
  end
  called = family_checks(folder);
  if ~isequal(sort(called), sort(expected))
    error('called %s; built %s', strjoin(sort(called), ' '), strjoin(sort(expected), ' '));
  end
  toolbox = toolbox_checks(folder);
  rmpath(folder);
  printf('tfmex_build: %d plug-ins and %d toolbox functions built and found\n', ...
         numel(names), numel(toolbox));
end

function remove_tree(folder)
  old = confirm_recursive_rmdir(false);
  rmdir(folder, 's');
  confirm_recursive_rmdir(old);
end
