function test_demo()
  % tfmex_demo prints the numbers of the demo program (build/bin/tfmex-demo)
  % digit for digit, from the same noise: tfmex_gaussian reproduces the C++
  % generator bit for bit. The pictures are written as PNG files.
  global TFMEX_BIN_DIR

  % Values of std::mt19937_64 seeded with 2048 through the demo's
  % Box-Muller formula, printed by C++ with 17 digits.
  want = [-1.8111503589622437; -0.060641400895156052; -1.0662238858197461;
          1.0412656877111284; -0.11388929015527137; 1.5234406930743312];
  if ~isequal(tfmex_gaussian(6, 2048), want)
    error('tfmex_gaussian(6, 2048) differs from the C++ generator: %s', ...
          mat2str(tfmex_gaussian(6, 2048) - want));
  end
  % Past the first 312 words the state is renewed; an odd count drops the
  % sine of the last pair; the seed may be any uint64.
  z = tfmex_gaussian(1001, 5);
  expect_near(z(1:1000), tfmex_gaussian(1000, 5), 0, 'prefix of a longer draw');
  expect_near(size(tfmex_gaussian(0, 1)), [0 1], 0, 'no values');
  if isequal(tfmex_gaussian(8, 1), tfmex_gaussian(8, 2)) || ...
     ~isequal(tfmex_gaussian(8, uint64(2)^63 + 1), tfmex_gaussian(8, uint64(2)^63 + 1))
    error('seeds do not separate or do not repeat');
  end
  if abs(mean(z)) > 0.1 || abs(std(z) - 1) > 0.1
    error('1001 values have mean %g and deviation %g', mean(z), std(z));
  end
  try
    tfmex_gaussian(4, -1);
    error('a negative seed was accepted');
  catch err
    if isempty(strfind(err.message, 'SEED'))
      rethrow(err);
    end
  end

  % The two demos' tables, row by row, with the default noise and another
  % seed and ratio. The C++ demo writes its pictures into a temporary folder.
  for run = {{7, 2048}, {3, 7}}
    [snr, seed] = run{1}{:};
    out = tempname();
    [status, cpp] = system(sprintf('"%s" --out "%s" --snr %g --seed %d', ...
                                   fullfile(TFMEX_BIN_DIR, 'tfmex-demo'), out, snr, seed));
    confirm_recursive_rmdir(false, 'local');
    if exist(out, 'dir')
      rmdir(out, 's');
    end
    if status ~= 0
      error('tfmex-demo failed:\n%s', cpp);
    end
    oct = evalc('r = tfmex_demo(''out'', '''', ''snr'', snr, ''seed'', seed);');
    want = table_rows(cpp);
    got = table_rows(oct);
    if numel(want) ~= 8 || numel(got) ~= 8
      error('expected 8 table rows, found %d from tfmex-demo, %d from tfmex_demo:\n%s', ...
            numel(want), numel(got), cpp);
    end
    if ~strcmp(line_with(oct, 'Four signals'), line_with(cpp, 'Four signals'))
      error('the noise is described as "%s", by the demo program as "%s"', ...
            line_with(oct, 'Four signals'), line_with(cpp, 'Four signals'));
    end
    for k = 1:numel(want)
      if ~isequal(got{k}, want{k})
        error('seed %d, %g dB, row %d: Octave prints\n%s\nthe demo program\n%s', seed, snr, k, ...
              strjoin(got{k}, ' '), strjoin(want{k}, ' '));
      end
    end
  end
  % The returned numbers are those printed; every gain is positive and every
  % rebuild exact to rounding.
  expect_near(round(100 * r.snr), str2double(cat(1, want{1:4})(:, 2:7)) * 100, 1e-9, 'returned SNRs');
  if any(r.snr(:) <= snr) || any([r.packet(:, 2); r.cosine(:, 2)] > 1e-12)
    error('a denoising gain is not positive or a rebuild is not exact');
  end

  % Pictures: 20 PNG files, each a real picture, drawn without Octave's
  % advice against gnuplot landing in the printed tables; the warning's own
  % state is left as it was.
  folder = tempname();
  state = warning('on', 'Octave:gnuplot-graphics');
  printed = evalc('tfmex_demo(''out'', folder);');
  after = warning('query', 'Octave:gnuplot-graphics');
  warning(state);
  if ~isempty(strfind(printed, 'warning')) || ~isempty(strfind(printed, 'gnuplot'))
    error('the demo with pictures prints a warning:\n%s', printed);
  end
  if ~strcmp(after.state, 'on') || numel(table_rows(printed)) ~= 8
    error('the demo with pictures leaves the warning %s or prints %d table rows', ...
          after.state, numel(table_rows(printed)));
  end
  files = dir(fullfile(folder, '*.png'));
  names = sort({files.name});
  expected = {};
  for s = {'chirp', 'steps', 'wave', 'bumps'}
    expected = [expected, strcat({'denoise-', 'packet-basis-', 'cosine-basis-', 'invariant-', 'levels-'}, s{1}, '.png')]; %#ok<AGROW>
  end
  if ~isequal(names, sort(expected))
    error('pictures written: %s', strjoin(names, ' '));
  end
  for k = 1:numel(files)
    fid = fopen(fullfile(folder, files(k).name), 'r');
    head = fread(fid, 8, 'uint8')';
    fclose(fid);
    if ~isequal(head, [137 80 78 71 13 10 26 10]) || files(k).bytes < 5000
      error('%s is not a PNG picture (%d bytes)', files(k).name, files(k).bytes);
    end
  end
  rmdir(folder, 's');
end

function rows = table_rows(text)
  % The rows of both tables: lines that start with a signal's name, split
  % into words.
  rows = {};
  for line = strsplit(text, "\n")
    words = strsplit(strtrim(line{1}));
    if any(strcmp(words{1}, {'chirp', 'steps', 'wave', 'bumps'}))
      rows{end+1} = words; %#ok<AGROW>
    end
  end
end

function line = line_with(text, start)
  lines = strsplit(text, "\n");
  line = lines{find(strncmp(lines, start, numel(start)), 1)};
end
