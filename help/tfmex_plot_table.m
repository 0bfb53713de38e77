function fig = tfmex_plot_table(T, kind, h, name)
% TFMEX_PLOT_TABLE  Draw a translation-invariant or packet table as a heat map.
%   FIG = tfmex_plot_table(T, 'shift', H) draws the table of ShiftSplit(X,
%   L, H) one level per row, counted as the rest of the toolbox counts
%   them: level d is what d halvings give, so the finest details, 'details,
%   level 1', are at the top and the coarse values after the table's D
%   halvings, 'coarse, level D', at the bottom. The 2^d blocks of level d
%   are the coefficients of every shift path; together they are one
%   coefficient per sample, and the row shows them in time order (each
%   placed at the sample it describes, the filter's delay through the
%   halvings taken into account), so features of X line up down the rows. H is the filter the table was made with
%   (only its length is used), or its short name such as 'db4'.
%   FIG = tfmex_plot_table(T, 'packet') draws a PacketSplit table and
%   FIG = tfmex_plot_table(T, 'bell') a BellSplit table, one column of the
%   table per row, in the table's order (for packets, frequency band after
%   band; for cosine packets, time segment after segment): column d+1 is
%   level d, 'level 0 (signal)' at the top, then 'level 1' .. 'level D'.
%   FIG = tfmex_plot_table(..., TITLE) puts TITLE above the picture.
%
%   Every row is cut into at most 512 bins of equal width, each shaded by
%   the largest squared magnitude in it, relative to the largest of the row,
%   on a logarithmic scale of three decades. The figure is made invisible;
%   write it with tfmex_print.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     x = double((0:1023) >= 300);
%     fig = tfmex_plot_table(ShiftSplit(x, 4, h), 'shift', h, 'a step');
%     tfmex_print(fig, fullfile(tempdir, 'table.png'));
%     close(fig);
%
%   See also tfmex_plot_tiling, tfmex_plot_levels, ShiftSplit, PacketSplit.
  if nargin < 2
    tfmex_fail('plot_table', 'nargin', 'T and KIND are required');
  end
  [n, cols] = size(T);
  J = round(log2(n));
  if ~(isnumeric(T) && isreal(T) && ndims(T) == 2 && n >= 2 && 2^J == n && cols <= J + 1)
    tfmex_fail('plot_table', 'table', 'T must be a real n x (D+1) table, n = 2^J, 0 <= D <= J');
  end
  if ~ischar(kind) || ~any(strcmpi(kind, {'shift', 'packet', 'bell'}))
    tfmex_fail('plot_table', 'choice', 'KIND must be ''shift'', ''packet'' or ''bell''');
  end
  shift = strcmpi(kind, 'shift');
  if shift && (nargin < 3 || isempty(h))
    tfmex_fail('plot_table', 'filter', 'a ''shift'' table needs its filter H');
  end
  if shift
    % The filter's length places the rows in time; a short name ('db4') is taken.
    h = tfmex_check_filter('plot_table', 'H', h);
  end
  if ~all(isfinite(T(:)))
    tfmex_fail('plot_table', 'nonfinite', 'T must hold finite values');
  end
  if nargin < 4
    if nargin == 3 && ischar(h) && ~shift
      name = h;
    else
      name = '';
    end
  end
  T = double(T);
  D = cols - 1;

  if shift
    m = numel(h);
    rows = zeros(D + 1, n);
    labels = cell(1, D + 1);
    for d = 1:D
      rows(d, :) = time_ordered(T(:, d+1), n, false, d, m);
      labels{d} = sprintf('details, level %d', d);
    end
    rows(D + 1, :) = time_ordered(T(:, 1), n, true, D, m);
    labels{D + 1} = sprintf('coarse, level %d', D);
    xtext = 'time (samples)';
  else
    rows = T';
    labels = [{'level 0 (signal)'}, ...
              arrayfun(@(d) sprintf('level %d', d), 1:D, 'UniformOutput', false)];
    if strcmpi(kind, 'packet')
      xtext = 'row of the table (packet after packet, in frequency order)';
    else
      xtext = 'row of the table (time segment after segment)';
    end
  end

  % Bins of the largest squared magnitude, relative to the row's largest.
  bins = min(512, n);
  width = n / bins;
  heat = zeros(size(rows, 1), bins);
  for r = 1:size(rows, 1)
    top = max(reshape(rows(r, :) .^ 2, width, bins), [], 1);
    largest = max(top);
    if largest == 0
      largest = 1;
    end
    heat(r, :) = min(max(1 + log10(top / largest) / 3, 0), 1);
  end

  fig = figure('visible', 'off', 'position', [100 100 900, 140 + 40 * size(rows, 1)]);
  ax = axes('parent', fig);
  colormap(ax, shades(64));
  image(ax, [0.5 n - 0.5], [1 size(rows, 1)], heat, 'CDataMapping', 'scaled');
  caxis(ax, [0 1]);
  set(ax, 'ydir', 'reverse', 'ytick', 1:size(rows, 1), 'yticklabel', labels, ...
      'xlim', [0 n], 'ylim', [0.5 size(rows, 1) + 0.5], 'box', 'on', 'layer', 'top');
  xlabel(ax, xtext);
  cb = colorbar('peer', ax);
  set(cb, 'ytick', [0 1/3 2/3 1], 'yticklabel', {'1e-3', '1e-2', '1e-1', '1'});
  ylabel(cb, 'squared magnitude / row''s largest');
  if ~isempty(name)
    title(ax, name);
  end
end

function out = time_ordered(col, n, coarse, d, m)
  % Coefficient i of shift path b goes to sample i*2^d minus the path's
  % shifts (bit d-j of b set: stage j filtered after a one-sample right
  % shift of 2^(j-1) samples at the signal's rate), plus the centre of the
  % filters it went through: the low-pass taps run forward from their
  % sample, the high-pass taps backward from the next one. Modulo n.
  len = n / 2^d;
  half = (m - 1) / 2;
  if coarse
    centre = (2^d - 1) * half;
  else
    centre = 2^(d - 1) - half;
  end
  out = zeros(1, n);
  i = (0:len-1)';
  for b = 0:2^d-1
    offset = 0;
    for j = 1:d
      offset = offset + bitand(bitshift(b, -(d - j)), 1) * 2^(j - 1);
    end
    out(mod(i * 2^d - offset + round(centre), n) + 1) = col(b*len+1:(b+1)*len);
  end
end

function map = shades(count)
  % White to dark red.
  s = linspace(0, 1, count)';
  map = 1 - s * (1 - [153 27 30] / 255);
end
