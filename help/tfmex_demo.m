function results = tfmex_demo(varargin)
% TFMEX_DEMO  What the plug-ins are for, in numbers and pictures.
%   tfmex_demo runs the demo program's work (build/bin/tfmex-demo) in Octave
%   or MATLAB with the toolbox functions and prints the same tables with the
%   same numbers: four test signals of 2048 samples (a chirp whose frequency
%   falls from 600 to 6 cycles, a piecewise-constant signal with nine jumps,
%   a smooth wave with two jumps, a sum of eight narrow bumps), the same
%   Gaussian noise (tfmex_gaussian, seeds 2048 .. 2051) at 7 dB,
%     - denoised by soft thresholding at sigma * sqrt(2 ln n), coarse level 4,
%       with the Haar, Daubechies 4 and Daubechies 8 filters, plain and
%       translation-invariant (tfmex_denoise): output SNRs in dB;
%     - the least-entropy wavelet packet (Daubechies 8) and cosine packet
%       bases of the clean signals from tables of depth 7 (tfmex_bestbasis),
%       the signal rebuilt from the basis alone (tfmex_basisjoin) with its
%       error, and how many coefficients hold 99% of the energy, against
%       the plain wavelet transform (CircSplit, Daubechies 8, every level).
%   It writes 20 PNG pictures into the folder 'tfmex-demo-output', five per
%   signal: clean, noisy and denoised signals, the tiling of each best basis,
%   the translation-invariant table, the wavelet coefficients by level.
%
%   R = tfmex_demo(...) also returns the numbers: R.snr (4 x 6, plain Haar,
%   D4, D8, then translation-invariant), R.packet and R.cosine (4 x 3:
%   blocks, error, 99% count), R.wavelet (4 x 1, 99% count), R.basis (the
%   bases, {signal, 1 packet | 2 cosine}) and R.signals (names).
%
%   Options, as name/value pairs:
%     'out'    folder for the pictures ('' for none), default
%              'tfmex-demo-output' in the current folder
%     'snr'    signal-to-noise ratio of the noisy signals in dB (default 7)
%     'seed'   seed of the noise of the first signal (default 2048)
%     'quiet'  true: print nothing
%   A bad option is refused with the identifier tfmex:demo:<reason>.
%
%   Example:
%     r = tfmex_demo('out', '', 'quiet', true);
%     chirp = r.snr(1, :)   % [7.9474 9.2109 10.5418 9.5027 10.7955 11.9198]
%
%   See also tfmex_denoise, tfmex_bestbasis, tfmex_plot_tiling, tfmex_gaussian.
  opt = struct('out', 'tfmex-demo-output', 'snr', 7, 'seed', 2048, 'quiet', false);
  if mod(numel(varargin), 2)
    tfmex_fail('demo', 'option', 'options come as name/value pairs');
  end
  for i = 1:2:numel(varargin)
    if ~ischar(varargin{i}) || ~isfield(opt, lower(varargin{i}))
      tfmex_fail('demo', 'option', 'unknown option %s; options: ''out'', ''snr'', ''seed'', ''quiet''', ...
                 tfmex_describe(varargin{i}));
    end
    opt.(lower(varargin{i})) = varargin{i+1};
  end
  if ~ischar(opt.out) || ~(isrow(opt.out) || isempty(opt.out))
    tfmex_fail('demo', 'class', '''out'' must be a folder name (text, '''' for no pictures), got %s', ...
               tfmex_describe(opt.out));
  end
  opt.snr = tfmex_check_number('demo', '''snr''', opt.snr, -Inf, Inf);
  % Every signal's seed, opt.seed + 3 at most, must be a valid seed.
  opt.seed = tfmex_check_number('demo', '''seed''', opt.seed, 0, 2^53 - 5, 'integer');
  if ~(islogical(opt.quiet) || isnumeric(opt.quiet)) || ~isscalar(opt.quiet) || ...
     ~any(double(opt.quiet) == [0 1])
    tfmex_fail('demo', 'class', '''quiet'' must be true or false, got %s', tfmex_describe(opt.quiet));
  end
  say = @(varargin) fprintf(varargin{:});
  if opt.quiet
    say = @(varargin) [];
  end

  n = 2048;             % samples per signal (J = 11)
  denoise_level = 4;    % 16 coarse values kept
  packet_depth = 7;     % columns 0 .. 7 of the packet and cosine packet tables
  heat_level = 5;       % coarse level of the translation-invariant picture
  [names, clean] = test_signals(n);
  [fnames, filters] = demo_filters();
  long = filters{end};
  pictures = ~isempty(opt.out);
  if pictures && ~exist(opt.out, 'dir')
    mkdir(opt.out);
  end
  if pictures && exist('OCTAVE_VERSION', 'builtin')
    % Octave's advice against the gnuplot toolkit, given for every figure
    % drawn there, would land between the rows of the tables.
    warning('off', 'Octave:gnuplot-graphics', 'local');
  end

  say('tfmex demo: plug-ins called from %s\n', host_name());
  say('Four signals of n = %d samples; Gaussian noise (seed %d) at an input SNR of %.1f dB.\n\n', ...
      n, opt.seed, opt.snr);
  say(['Denoising: soft threshold at sigma*sqrt(2 ln n) on every detail, sigma = median|finest| / 0.6745,\n' ...
       'coarse level %d. Output SNR in dB (input %.1f dB); plain: CircSplit/CircJoin, ' ...
       'translation-invariant: ShiftSplit/ShiftJoin.\n\n'], denoise_level, opt.snr);
  say('  %-8s %-42s%s\n  %-8s', '', 'plain', 'translation-invariant', 'signal');
  say(' %13s', fnames{:}, fnames{:});
  say('\n');
  snr = zeros(4, 6);
  for s = 1:4
    noisy = add_noise(clean{s}, opt.snr, opt.seed + s - 1);
    say('  %-8s', names{s});
    best = [];
    best_snr = -Inf;
    methods = {'plain', 'ti'};
    for mth = 1:2
      for f = 1:3
        y = tfmex_denoise(noisy, filters{f}, 'level', denoise_level, 'method', methods{mth});
        snr(s, 3 * (mth - 1) + f) = snr_db(clean{s}, y);
        say(' %13s', sprintf('%.2f', snr(s, 3 * (mth - 1) + f)));
        if snr(s, 3 * (mth - 1) + f) > best_snr
          best_snr = snr(s, 3 * (mth - 1) + f);
          best = y;
          best_name = fnames{f};
          if mth == 2
            best_name = ['translation-invariant, ' best_name];
          end
        end
      end
    end
    say('\n');
    if pictures
      fig = plot_signals({clean{s}, noisy, best}, ...
                         {'clean', sprintf('noisy, SNR %.1f dB', opt.snr), ...
                          sprintf('denoised (%s), SNR %.2f dB', best_name, best_snr)}, ...
                         sprintf('Denoising the %s (soft threshold, coarse level %d)', ...
                                 names{s}, denoise_level));
      save_picture(fig, opt.out, ['denoise-' names{s} '.png']);
    end
  end

  say('\nBest bases of the clean signals (least entropy, tables of depth %d), rebuilt from the basis alone.\n', ...
      packet_depth);
  say(['blocks: blocks of the table in the basis (levels: their columns); error: max |rebuilt - x| / max |x|;\n' ...
       '99%%: coefficients holding 99%% of the energy, also for the plain wavelet transform (CircSplit,\n' ...
       '%s, every level).\n\n'], fnames{end});
  say('  %-8s  %-33s  %-33s  %s\n', '', ['wavelet packets, ' fnames{end}], 'cosine packets', 'wavelets');
  say('  %-8s', 'signal');
  for twice = 1:2
    say('  %6s %6s %9s %7s   ', 'blocks', 'levels', 'error', '99%');
  end
  say('  %7s\n', '99%');
  kinds = {'packet', 'bell'};
  results = struct('signals', {names}, 'snr', snr, 'packet', zeros(4, 3), ...
                   'cosine', zeros(4, 3), 'wavelet', zeros(4, 1), 'basis', {cell(4, 2)});
  for s = 1:4
    x = clean{s};
    say('  %-8s', names{s});
    for kind = 1:2
      if kind == 1
        T = PacketSplit(x, packet_depth, long);
      else
        T = BellSplit(x, packet_depth, 0);
      end
      [basis, coef] = tfmex_bestbasis(T, 'entropy', 'kind', kinds{kind});
      if kind == 1
        y = tfmex_basisjoin(basis, coef, long);
      else
        y = tfmex_basisjoin(basis, coef, 'bell', packet_depth);
      end
      err = max(abs(x - y)) / max(abs(x));
      count = count_for_energy(coef, 0.99);
      say('  %6d %6s %9s %7d   ', size(basis.blocks, 1), levels_of(basis), sprintf('%.1e', err), count);
      row = [size(basis.blocks, 1), err, count];
      if kind == 1
        results.packet(s, :) = row;
      else
        results.cosine(s, :) = row;
      end
      results.basis{s, kind} = basis;
      if pictures
        what = {'wavelet packet', 'cosine packet'};
        fig = tfmex_plot_tiling(basis, coef, kinds{kind}, ...
                                sprintf('Best %s basis of the %s: %s, 99%% of the energy in %s', ...
                                        what{kind}, names{s}, plural(size(basis.blocks, 1), 'block'), ...
                                        plural(count, 'coefficient')));
        prefix = {'packet-basis-', 'cosine-basis-'};
        save_picture(fig, opt.out, [prefix{kind} names{s} '.png']);
      end
    end
    w = CircSplit(x, 0, long);
    results.wavelet(s) = count_for_energy(w, 0.99);
    say('  %7d\n', results.wavelet(s));
  end

  if pictures
    for s = 1:4
      T = ShiftSplit(clean{s}, heat_level, long);
      fig = tfmex_plot_table(T, 'shift', long, ...
                             sprintf('Translation-invariant table of the %s (%s, every shift path), %s', ...
                                     names{s}, fnames{end}, plural(round(log2(n)) - heat_level, 'level')));
      save_picture(fig, opt.out, ['invariant-' names{s} '.png']);
      fig = tfmex_plot_levels(CircSplit(clean{s}, denoise_level, long), denoise_level, ...
                              sprintf('Wavelet coefficients of the %s (%s), %s (level 1 finest)', ...
                                      names{s}, fnames{end}, ...
                                      plural(round(log2(n)) - denoise_level, 'level')));
      save_picture(fig, opt.out, ['levels-' names{s} '.png']);
    end
    % Per signal: denoising, two tilings, the table and the levels.
    say('\nPictures (%d PNG files) written to %s\n', 5 * numel(names), opt.out);
  end
  if nargout == 0
    clear results;
  end
end

function [names, x] = test_signals(n)
  % The demo program's four signals on t = i/n, from the same closed forms
  % evaluated in the same order, so they are the same doubles.
  t = (0:n-1) / n;
  names = {'chirp', 'steps', 'wave', 'bumps'};
  % A chirp of frequency a / (t + b), from 600 at t = 0 to 6 at t = 1,
  % under an envelope rising from 0.25 to 1.
  f0 = 600; f1 = 6;
  b = f1 / (f0 - f1);
  a = f0 * b;
  phase = a * log((t + b) / b);
  x{1} = (0.25 + 0.75 * sqrt(t)) .* sin(2 * pi * phase);

  at = [0.08 0.17 0.29 0.36 0.52 0.61 0.74 0.83 0.91];
  level = [0.0 2.0 -1.5 3.0 0.5 -2.5 1.0 2.5 -0.5 0.0];
  k = zeros(1, n);
  for j = 1:numel(at)
    k = k + (t >= at(j));
  end
  x{2} = level(k + 1);

  v = 2 * sin(4 * pi * t) + 0.6 * cos(9 * pi * t);
  v(t >= 0.31) = v(t >= 0.31) + 1.8;
  v(t >= 0.77) = v(t >= 0.77) - 3.0;
  x{3} = v;

  centre = [0.09 0.21 0.26 0.43 0.58 0.66 0.80 0.92];
  width = [0.006 0.010 0.004 0.015 0.003 0.008 0.020 0.005];
  height = [4.0 3.0 5.0 2.5 4.5 3.5 2.0 4.0];
  v = zeros(1, n);
  for j = 1:8
    u = (t - centre(j)) / width(j);
    v = v + height(j) * exp(-u .* u);
  end
  x{4} = v;
end

function [names, h] = demo_filters()
  % Haar and the Daubechies filters of 4 and 8 taps, the demo program's
  % (the same doubles: both come from the filter table).
  names = {'Haar', 'Daubechies 4', 'Daubechies 8'};
  h = {tfmex_filter('haar'), tfmex_filter('daubechies', 4), tfmex_filter('daubechies', 8)};
end

function y = add_noise(clean, snr, seed)
  % clean + noise scaled to the given SNR exactly; sums run in sample
  % order, as in the demo program.
  z = tfmex_gaussian(numel(clean), seed)';
  scale = sqrt(sum(clean .* clean) / sum(z .* z)) * 10 ^ (-snr / 20);
  y = clean + scale * z;
end

function r = snr_db(clean, estimate)
  e = clean(:) - estimate(:);
  r = 10 * log10(sum(clean .* clean) / sum(e .* e));
end

function count = count_for_energy(c, fraction)
  % How many of the largest coefficients hold the fraction of the energy.
  e = sort(c(:) .* c(:), 'descend');
  if sum(e) == 0
    count = 0;
    return;
  end
  reached = find(cumsum(e) >= fraction * sum(e), 1);
  if isempty(reached)
    reached = numel(e);
  end
  count = reached;
end

function s = levels_of(basis)
  lo = min(basis.blocks(:, 1));
  hi = max(basis.blocks(:, 1));
  if lo == hi
    s = sprintf('%d', lo);
  else
    s = sprintf('%d-%d', lo, hi);
  end
end

function s = plural(count, noun)
  % '1 block', '2 blocks'.
  if count == 1
    s = sprintf('%d %s', count, noun);
  else
    s = sprintf('%d %ss', count, noun);
  end
end

function s = host_name()
  if exist('OCTAVE_VERSION', 'builtin')
    s = ['GNU Octave ' OCTAVE_VERSION];
  else
    s = ['MATLAB ' version];
  end
end

function fig = plot_signals(ys, labels, name)
  % Line plots stacked over one time axis, each labelled in its corner.
  fig = figure('visible', 'off', 'position', [100 100 900 620]);
  for k = 1:numel(ys)
    ax = subplot(numel(ys), 1, k, 'parent', fig);
    plot(ax, 0:numel(ys{k})-1, ys{k}, 'color', [0.12 0.28 0.55]);
    set(ax, 'xlim', [0 numel(ys{k})], 'fontsize', 9);
    legend(ax, labels{k}, 'location', 'northeast');
    legend(ax, 'boxoff');
  end
  title(subplot(numel(ys), 1, 1, 'parent', fig), name);
  xlabel(ax, 'time (samples)');
end

function save_picture(fig, folder, file)
  tfmex_print(fig, fullfile(folder, file));
  close(fig);
end
