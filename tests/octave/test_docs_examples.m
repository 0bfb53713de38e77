function test_docs_examples()
  % The Octave examples of the README and of the site's getting-started
  % pages run as printed: the README's block is docs/snippets/first_call.m
  % (the site shows that file), and docs/snippets/first_picture.m writes its
  % picture.
  warning('off', 'Octave:gnuplot-graphics');
  root = fileparts(fileparts(fileparts(mfilename('fullpath'))));
  snippets = fullfile(root, 'docs', 'snippets');
  readme = fileread(fullfile(root, 'README.md'));
  blocks = regexp(readme, '```octave\n(.*?)```', 'tokens');
  if numel(blocks) ~= 1
    error('the README has %d octave blocks, not one', numel(blocks));
  end
  code = blocks{1}{1};
  if ~strcmp(code, fileread(fullfile(snippets, 'first_call.m')))
    error('the README''s octave block is not docs/snippets/first_call.m');
  end
  % The path is set up already: the placeholder folder of the first line is
  % not a folder here.
  lines = strsplit(code, "\n");
  if isempty(strfind(lines{1}, 'addpath'))
    error('the first call starts with its addpath line');
  end
  evalc(strjoin(lines(2:end), "\n"));
  if ~(norm(den - x) < 0.6 * norm(noisy - x)) || ~isequal(size(wc), [1024 1])
    error('the first call does not denoise');
  end

  folder = tempname();
  mkdir(folder);
  here = pwd();
  cleanup = onCleanup(@() cd(here));
  cd(folder);
  eval(fileread(fullfile(snippets, 'first_picture.m')));
  info = dir(fullfile(folder, 'tiling.png'));
  if isempty(info) || info.bytes < 1000
    error('the first picture was not written');
  end
  cd(here);
  confirm_recursive_rmdir(false, 'local');
  rmdir(folder, 's');
end
