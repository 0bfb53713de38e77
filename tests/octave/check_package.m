function check_package()
  % Installs the Octave package offline into a temporary prefix, with a
  % temporary package list so the user's own lists stay untouched, loads
  % it, calls the plug-ins of every family in it and finds its toolbox
  % functions; then removes it.
  tarball = getenv('TFMEX_PACKAGE');
  expected = strsplit(getenv('TFMEX_PLUGINS'), ',');
  if isempty(tarball) || ~exist(tarball, 'file')
    error('no package at "%s"', tarball);
  end
  work = tempname();
  mkdir(work);
  cleanup = onCleanup(@() remove_tree(work));
  pkg('prefix', fullfile(work, 'share'), fullfile(work, 'arch'));
  pkg('local_list', fullfile(work, 'local_packages'));
  pkg('global_list', fullfile(work, 'global_packages'));

  pkg('install', '-local', tarball);
  pkg('load', 'tfmex');
  info = pkg('list', 'tfmex');
  if numel(info) ~= 1 || ~strncmp(info{1}.dir, work, numel(work))
    error('tfmex is not installed under %s', work);
  end
  folder = info{1}.dir;
  check_host_symbols(folder);

  for k = 1:numel(expected)
    name = expected{k};
    if ~strcmp(which(name), fullfile(folder, [name '.mex']))
      error('%s resolves to "%s", not to the installed package', name, which(name));
    end
    text = evalc(['help ' name]);
    if isempty(strfind(text, [upper(name) '  ']))
      error('help %s does not show its help text:\n%s', name, text);
    end
  end
  called = family_checks(folder);
  if ~isequal(sort(called), sort(expected))
    error('called %s; the package has %s', strjoin(sort(called), ' '), strjoin(sort(expected), ' '));
  end
  toolbox = toolbox_checks(folder);
  pkg('unload', 'tfmex');
  pkg('uninstall', 'tfmex');
  if exist(folder, 'dir')
    error('pkg uninstall left %s behind', folder);
  end
  printf('package: %d plug-ins and %d toolbox functions installed, called and removed\n', ...
         numel(expected), numel(toolbox));
end

function remove_tree(folder)
  old = confirm_recursive_rmdir(false);
  rmdir(folder, 's');
  confirm_recursive_rmdir(old);
end
