function test_plots()
  % The pictures without a display: what each draws where (tiles, time
  % order of the translation-invariant table, spikes by level), and that
  % tfmex_print writes PNG and SVG files.
  warning('off', 'Octave:gnuplot-graphics');
  haar = tfmex_filter('haar');
  d8 = tfmex_filter('daubechies', 8);
  folder = tempname();
  mkdir(folder);

  % Tiling of a packet basis [1 0; 2 2; 2 3] of 8 samples: the low band's
  % tiles are 2 samples wide and half the band tall, the others 4 by 1/4.
  % Tiles under four decades of the largest energy are left out.
  coef = [4; 0; 1; 1; 2; 1e-3; 1; 1];
  fig = tfmex_plot_tiling([1 0; 2 2; 2 3], coef, 'packet', 'a packet basis');
  p = findobj(fig, 'type', 'patch');
  V = get(p, 'vertices');
  F = get(p, 'faces');
  boxes = [min(reshape(V(F', 1), 4, []))', max(reshape(V(F', 1), 4, []))', ...
           min(reshape(V(F', 2), 4, []))', max(reshape(V(F', 2), 4, []))'];
  want = [0 2 0 0.5; 4 6 0 0.5; 6 8 0 0.5; 0 4 0.5 0.75; 0 4 0.75 1; 4 8 0.75 1];
  expect_near(sortrows(boxes), sortrows(want), 1e-12, 'packet tiles');
  expect_near(sort(get(p, 'facevertexcdata'))', sort(1 + log10([16 1 1 4 1 1] / 16) / 4), 1e-12, 'shades');
  check_png(tfmex_print(fig, fullfile(folder, 'tiling.png')), [900 560]);
  close(fig);
  % A cosine packet basis: block k is a time segment, coefficient j a band.
  fig = tfmex_plot_tiling([1 0; 1 1], [zeros(5, 1); 1; 0; 0], 'bell');
  V = get(findobj(fig, 'type', 'patch'), 'vertices');
  expect_near(sortrows(V), sortrows([4 0.25; 8 0.25; 8 0.5; 4 0.5]), 1e-12, 'cosine tile');
  svg = tfmex_print(fig, fullfile(folder, 'tiling.svg'));
  if isempty(strfind(fileread(svg), '<svg'))
    error('%s is not an SVG file', svg);
  end
  close(fig);

  % Translation-invariant table of a spike: every stage's largest value
  % lies within half the support of that stage's filters from the spike, so
  % the rows line up in time.
  n = 256;
  for h = {haar, d8}
    m = numel(h{1});
    for at = [37 200]
      x = zeros(n, 1);
      x(at + 1) = 1;
      fig = tfmex_plot_table(ShiftSplit(x, 3, h{1}), 'shift', h{1}, 'a spike');
      heat = heat_of(fig);
      expect_near(size(heat), [6 n], 0, 'one row per level and the coarse values');
      expect_labels(fig, {'details, level 1', 'details, level 2', 'details, level 3', ...
                          'details, level 4', 'details, level 5', 'coarse, level 5'});
      for d = 1:4
        [~, peak] = max(heat(d, :));
        if abs(peak - 1 - at) > ((2^d - 1) * (m - 1) + 1) / 2 + 1
          error('%d taps, spike at %d: stage %d peaks at %d', m, at, d, peak - 1);
        end
      end
      close(fig);
    end
  end
  fig = tfmex_plot_table(PacketSplit(randn(1, 2048), 4, d8), 'packet');
  heat = heat_of(fig);
  expect_near(size(heat), [5 512], 0, 'packet table in 512 bins');
  expect_near(max(heat, [], 2), ones(5, 1), 0, 'each row shaded to its largest');
  expect_labels(fig, {'level 0 (signal)', 'level 1', 'level 2', 'level 3', 'level 4'});
  check_png(tfmex_print(fig, fullfile(folder, 'table.png')), [900 340]);
  close(fig);

  % Levels of CircSplit, counted in halvings: coefficient i of level k is
  % a spike at (i + 1/2) 2^k on row K - k + 2 (K = J - L halvings, the
  % coarse values on row 1). Heights are signed square roots, so that a
  % hundredth of the largest detail is drawn a tenth as tall.
  w = zeros(1, 32);
  w(2^3 + 3) = 1;      % level 2 (8 values), coefficient 2
  w(2^4 + 1) = -0.01;  % level 1, the finest: coefficient 0
  w(1) = -2;           % coarse, level 4
  fig = tfmex_plot_levels(w, 1);
  lines = findobj(fig, 'type', 'line');
  X = get(lines(end), 'xdata');
  Y = get(lines(end), 'ydata');
  tall = abs(Y(2:3:end) - Y(1:3:end)) > 0.4;
  expect_near(sortrows([X(1:3:end)(tall)', Y(1:3:end)(tall)']), [8 1; 10 4], 1e-12, 'spikes');
  small = abs(Y(2:3:end) - Y(1:3:end)) > 0 & ~tall;
  expect_near([X(1:3:end)(small), Y(1:3:end)(small), Y(2:3:end)(small) - Y(1:3:end)(small)], ...
              [1, 5, 0.045], 1e-12, 'finest spike, a tenth as tall');
  expect_labels(fig, {'coarse, level 4', 'level 4', 'level 3', 'level 2', 'level 1'});
  check_png(tfmex_print(fig, fullfile(folder, 'levels.png')), [900 345]);
  close(fig);

  % Refusals.
  expect_refusal(@() tfmex_plot_tiling([1 0], zeros(8, 1), 'packet'), 'BASIS');
  expect_refusal(@() tfmex_plot_tiling([0 0], zeros(8, 1), 'wavelet'), 'KIND');
  expect_refusal(@() tfmex_plot_table(zeros(8, 2), 'shift'), 'filter');
  expect_refusal(@() tfmex_plot_table(zeros(6, 2), 'packet'), 'table');
  expect_refusal(@() tfmex_plot_levels(zeros(1, 8), 3), 'L must');
  expect_refusal(@() tfmex_print(figure('visible', 'off'), 'a.pdf'), '.png or .svg');
  close all;
  confirm_recursive_rmdir(false, 'local');
  rmdir(folder, 's');
end

function expect_labels(fig, want)
  % The rows' labels, top to bottom.
  ax = findobj(fig, 'type', 'axes', '-not', 'tag', 'colorbar');
  got = cellstr(get(ax(end), 'yticklabel'))';
  if ~isequal(got, want)
    error('rows labelled {%s}, expected {%s}', strjoin(got, ', '), strjoin(want, ', '));
  end
end

function heat = heat_of(fig)
  % The picture's own image, not the colour bar's.
  for im = findobj(fig, 'type', 'image')'
    if ~strcmp(get(get(im, 'parent'), 'tag'), 'colorbar')
      heat = get(im, 'cdata');
    end
  end
end

function check_png(file, size_px)
  % A PNG file of the given width and height (from its header).
  fid = fopen(file, 'r');
  head = fread(fid, 24, 'uint8')';
  fclose(fid);
  if ~isequal(head(1:8), [137 80 78 71 13 10 26 10])
    error('%s is not a PNG file', file);
  end
  got = [sum(head(17:20) .* 256 .^ (3:-1:0)), sum(head(21:24) .* 256 .^ (3:-1:0))];
  expect_near(got, size_px, 0, [file ' size']);
end
