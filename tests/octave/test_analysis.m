function test_analysis()
  % The library's analysis (tfmex::denoise, tfmex::denoise2, tfmex::best_basis
  % and the basis joins, run by build/bin/tfmex_analysis_cases) gives the
  % doubles of tfmex_denoise, tfmex_bestbasis and tfmex_basisjoin, bit for
  % bit, on the same inputs: every filter family, both methods, rules and
  % thresholds, a given noise level, images, and every cost on wavelet
  % packet and cosine packet tables of two depths.
  global TFMEX_BIN_DIR
  file = [tempname() '.txt'];
  cleanup = onCleanup(@() remove_file(file));
  program = fullfile(TFMEX_BIN_DIR, 'tfmex_analysis_cases');
  [status, text] = system(sprintf('"%s" "%s"', program, file));
  if status ~= 0
    error('tfmex_analysis_cases failed:\n%s', text);
  end
  lib = read_results(file);
  seen = {};

  % Signals: the noise of tfmex_gaussian, the closed form of the program.
  filters = {tfmex_filter('haar'), tfmex_filter('daubechies', 4), tfmex_filter('symmlet', 8), ...
             tfmex_filter('coiflet', 6)};
  n = 256;
  t = (0:n-1)' / n;
  noisy = 2 * sin(4 * pi * t) + 1.5 * (t > 0.3) - (t > 0.71) + 0.3 * tfmex_gaussian(n, 7);
  methods = {'plain', 'ti'};
  rules = {'universal', 'sure'};
  thresholds = {'soft', 'hard'};
  for f = 1:numel(filters)
    for m = 1:2
      for r = 1:2
        for k = 1:2
          for level = [-1 2]
            args = {'method', methods{m}, 'rule', rules{r}, 'threshold', thresholds{k}};
            if level == 2
              args = [args, {'level', 2, 'sigma', 0.25}]; %#ok<AGROW>
            end
            [y, sigma, lambda] = tfmex_denoise(noisy, filters{f}, args{:});
            name = sprintf('signal_%d_%s_%s_%s_%d', f, methods{m}, rules{r}, thresholds{k}, ...
                           level);
            seen = [seen, same(lib, name, {'_y', y; '_sigma', sigma; '_lambda', lambda})]; %#ok<AGROW>
          end
        end
      end
    end
  end

  % Square images.
  n = 32;
  X = kron([1 3; -2 0.5], ones(16)) + 0.4 * reshape(tfmex_gaussian(n * n, 11), n, n);
  for f = 1:2
    for r = 1:2
      for k = 1:2
        for level = [-1 1]
          args = {'rule', rules{r}, 'threshold', thresholds{k}};
          if level == 1
            args = [args, {'level', 1}]; %#ok<AGROW>
          end
          [y, sigma, lambda] = tfmex_denoise(X, filters{f}, args{:});
          name = sprintf('image_%d_%s_%s_%d', f, rules{r}, thresholds{k}, level);
          seen = [seen, same(lib, name, {'_y', y; '_sigma', sigma; '_lambda', lambda})]; %#ok<AGROW>
        end
      end
    end
  end

  % Best bases of packet and cosine packet tables, and the rebuilt signals.
  n = 256;
  t = (0:n-1)' / n;
  x = tfmex_gaussian(n, 9) + (0:n-1)' / 64 + 3 * sin(2 * pi * 40 * t .* t);
  h = tfmex_filter('daubechies', 8);
  costs = {{'entropy'}, {'lp', 1}, {'lp', 0.5}, {'lp', 2}, {'lp', 3}, {'threshold', 0.3}};
  for kind = {'packet', 'bell'}
    for D = [5 8]
      if strcmp(kind{1}, 'packet')
        T = PacketSplit(x, D, h);
      else
        T = BellSplit(x, D, 0);
      end
      for c = 1:numel(costs)
        [basis, coef, cost] = tfmex_bestbasis(T, costs{c}{:});
        if strcmp(kind{1}, 'packet')
          y = tfmex_basisjoin(basis, coef, h);
        else
          y = tfmex_basisjoin(basis, coef, 'bell', D);
        end
        name = sprintf('%s_%d_%d', kind{1}, D, c);
        seen = [seen, same(lib, name, {'_basis', basis.blocks'; '_coef', coef; '_cost', cost; ...
                                       '_join', y})]; %#ok<AGROW>
      end
    end
  end

  missed = setdiff(keys(lib), seen);
  if ~isempty(missed) || numel(seen) ~= numel(unique(seen))
    error('results not compared: %s', strjoin(missed, ' '));
  end
end

function names = same(lib, name, parts)
  % Each part's values equal the library's, bit for bit.
  names = strcat(name, parts(:, 1))';
  for p = 1:size(parts, 1)
    key = names{p};
    if ~isKey(lib, key)
      error('%s: not among the library''s results', key);
    end
    want = lib(key);
    got = double(parts{p, 2}(:));
    if numel(got) ~= numel(want)
      error('%s: %d values, the library %d', key, numel(got), numel(want));
    end
    if ~isequal(got, want)
      bad = find(got ~= want & ~(isnan(got) & isnan(want)), 1);
      if ~isempty(bad)
        error('%s: value %d is %.17g, the library''s %.17g (%d differ)', key, bad, got(bad), ...
              want(bad), sum(got ~= want));
      end
    end
  end
end

function lib = read_results(file)
  % "name v1 v2 ..." a line, into a map from name to a column of doubles.
  lib = containers.Map();
  fid = fopen(file, 'r');
  if fid < 0
    error('cannot read %s', file);
  end
  closer = onCleanup(@() fclose(fid));
  line = fgetl(fid);
  while ischar(line)
    [name, rest] = strtok(line);
    lib(name) = sscanf(rest, '%f');
    line = fgetl(fid);
  end
end

function remove_file(file)
  if exist(file, 'file')
    delete(file);
  end
end
