function names = tfmex_build(outdir)
% TFMEX_BUILD  Compile every tfmex plug-in with the host's mex command.
%   tfmex_build(OUTDIR) compiles each plug-in source MEXSource/<Name>.cpp of
%   this source tree, together with the gateway and kernel sources, into a
%   plug-in <Name> in the folder OUTDIR, and copies its help file
%   help/<Name>.m beside it, with help/Contents.m and the toolbox functions
%   help/tfmex_*.m. OUTDIR is created when it does not exist; without it the
%   plug-ins go to the folder 'mex' in the current folder.
%
%   NAMES = tfmex_build(...) returns the names of the plug-ins built.
%
%   Runs in MATLAB (with a C++ compiler chosen by  mex -setup C++) and in
%   GNU Octave (with mkoctfile). Afterwards add OUTDIR to the path:
%     tfmex_build('~/tfmex');
%     addpath('~/tfmex');
%     help CircSplit

  if nargin < 1 || isempty(outdir)
    outdir = fullfile(pwd, 'mex');
  end
  root = fileparts(mfilename('fullpath'));
  octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;

  if ~exist(outdir, 'dir') && ~mkdir(outdir)
    error('tfmex_build: cannot create the folder %s', outdir);
  end
  here = pwd;
  cd(outdir);
  outdir = pwd;
  cd(here);

  plugins = dir(fullfile(root, 'MEXSource', '*.cpp'));
  if isempty(plugins)
    error('tfmex_build: no plug-in sources in %s', fullfile(root, 'MEXSource'));
  end
  shared = [{fullfile(root, 'host', 'gateway.cpp')}, cpp_files(fullfile(root, 'src')), ...
            cpp_files(fullfile(root, 'kernels'))];

  % Every result must be the same double on every compiler and machine: no
  % fused multiply-add contraction, no value-changing optimisations.
  % Octave's mkoctfile takes them from CXXFLAGS (on its command line it would
  % read the word after an -f option as that option's value).
  % MATLAB's mex defines MATLAB_MEX_FILE; for Octave's mkoctfile,
  % TFMEX_HOST_MEX does the same: the gateways then include the host's own
  % mex.h, so every call binds to the names this host exports.
  include = {['-I' root], ['-I' fullfile(root, 'include')]};
  if octave
    include{end+1} = '-DTFMEX_HOST_MEX';
  end
  strict = '-ffp-contract=off -fno-fast-math -std=c++17';
  if octave
    flags = {};
    old_flags = getenv('CXXFLAGS');
    restore = onCleanup(@() restore_env('CXXFLAGS', old_flags));
    if isempty(old_flags)
      setenv('CXXFLAGS', [strtrim(mkoctfile('-p', 'CXXFLAGS')) ' ' strict]);
    else
      setenv('CXXFLAGS', [old_flags ' ' strict]);
    end
  elseif ~ispc
    flags = {['CXXFLAGS=$CXXFLAGS ' strict]};
  else
    flags = {};
  end

  % The gateway, the library and the kernels are compiled once and linked into every
  % plug-in; each object gets a folder of its own so equal names cannot clash.
  objdir = tempname;
  mkdir(objdir);
  cleanup = onCleanup(@() remove_tree(objdir, octave));
  objects = cell(1, numel(shared));
  for k = 1:numel(shared)
    sub = fullfile(objdir, sprintf('%d', k));
    mkdir(sub);
    if octave
      objects{k} = fullfile(sub, 'shared.o');
      mex('-c', include{:}, flags{:}, shared{k}, '-o', objects{k});
    else
      mex('-c', '-silent', include{:}, flags{:}, '-outdir', sub, shared{k});
      made = dir(fullfile(sub, '*.o*'));
      objects{k} = fullfile(sub, made(1).name);
    end
  end

  names = cell(1, numel(plugins));
  for k = 1:numel(plugins)
    [~, name] = fileparts(plugins(k).name);
    src = fullfile(root, 'MEXSource', plugins(k).name);
    fprintf('tfmex_build: %s\n', name);
    if octave
      % mkoctfile passes paths to the shell unquoted: link in the scratch
      % folder, then copy, so that OUTDIR may contain spaces.
      made = fullfile(objdir, [name '.mex']);
      mex(include{:}, flags{:}, '-o', made, src, objects{:});
      copyfile(made, fullfile(outdir, [name '.mex']));
    else
      mex('-silent', include{:}, flags{:}, '-outdir', outdir, '-output', name, src, objects{:});
    end
    help_file = fullfile(root, 'help', [name '.m']);
    if exist(help_file, 'file')
      copyfile(help_file, fullfile(outdir, [name '.m']));
    end
    names{k} = name;
  end
  copyfile(fullfile(root, 'help', 'Contents.m'), fullfile(outdir, 'Contents.m'));
  % The toolbox functions, written in the host language, beside the plug-ins.
  toolbox = dir(fullfile(root, 'help', 'tfmex_*.m'));
  for k = 1:numel(toolbox)
    copyfile(fullfile(root, 'help', toolbox(k).name), fullfile(outdir, toolbox(k).name));
  end
  % Their shared argument checks, private to them.
  checks = dir(fullfile(root, 'help', 'private', '*.m'));
  if ~isempty(checks) && ~exist(fullfile(outdir, 'private'), 'dir')
    mkdir(fullfile(outdir, 'private'));
  end
  for k = 1:numel(checks)
    copyfile(fullfile(root, 'help', 'private', checks(k).name), fullfile(outdir, 'private', checks(k).name));
  end
  fprintf('tfmex_build: %d plug-ins in %s\n', numel(names), outdir);
end

function files = cpp_files(folder)
  % Every .cpp file below folder, in a fixed order.
  files = {};
  entries = dir(folder);
  for k = 1:numel(entries)
    e = entries(k);
    if e.isdir && e.name(1) ~= '.'
      files = [files, cpp_files(fullfile(folder, e.name))]; %#ok<AGROW>
    elseif ~e.isdir && numel(e.name) > 4 && strcmp(e.name(end-3:end), '.cpp')
      files{end+1} = fullfile(folder, e.name); %#ok<AGROW>
    end
  end
end

function remove_tree(folder, octave)
  if ~exist(folder, 'dir')
    return;
  end
  if octave
    old = confirm_recursive_rmdir(false);
    rmdir(folder, 's');
    confirm_recursive_rmdir(old);
  else
    rmdir(folder, 's');
  end
end

function restore_env(name, value)
  if isempty(value)
    unsetenv(name);
  else
    setenv(name, value);
  end
end
