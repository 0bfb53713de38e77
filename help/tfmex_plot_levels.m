function fig = tfmex_plot_levels(w, L, name)
% TFMEX_PLOT_LEVELS  Draw the coefficients of CircSplit level by level.
%   FIG = tfmex_plot_levels(W, L) draws the transform W = CircSplit(X, L, H)
%   of one signal of n = 2^J samples, one row per level, counted as the
%   rest of the toolbox counts them: level k is what k halvings give, so
%   level 1 holds the finest details (the last n/2 values of W) and the
%   coarse values, after K = J - L halvings, are 'coarse, level K'. The
%   coarse row is at the top, then levels K .. 1, the finest at the bottom.
%   Each coefficient is a spike at the middle of the samples it describes
%   (coefficient i of level k at (i + 1/2) * 2^k), so a feature of X shows
%   as a column of spikes down the levels. All detail rows share one scale,
%   so that levels compare; the coarse row has its own. A spike's height is
%   the signed square root of its value over the scale, so that the small
%   spikes of the finest levels stay visible (a hundredth of the largest is
%   drawn a tenth as tall).
%   FIG = tfmex_plot_levels(W, L, TITLE) puts TITLE above the picture.
%
%   W  the n = 2^J coefficients of one signal (row or column).
%   L  the coarse level given to CircSplit, 0 <= L < J.
%
%   The figure is made invisible; write it with tfmex_print.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     x = sin(2 * pi * (0:511) / 512) + ((0:511) >= 200);
%     fig = tfmex_plot_levels(CircSplit(x, 3, h), 3, 'a jump in a sine');
%     tfmex_print(fig, fullfile(tempdir, 'levels.png'));
%     close(fig);
%
%   See also CircSplit, tfmex_plot_table, tfmex_print.
  if nargin < 2
    tfmex_fail('plot_levels', 'nargin', 'W and L are required');
  end
  if nargin < 3
    name = '';
  end
  n = numel(w);
  J = round(log2(n));
  if ~(isnumeric(w) && isreal(w) && isvector(w) && n >= 2 && 2^J == n)
    tfmex_fail('plot_levels', 'signal', 'W must be one signal of n = 2^J >= 2 coefficients');
  end
  if any(~isfinite(double(w(:))))
    tfmex_fail('plot_levels', 'nonfinite', 'W must be finite');
  end
  L = tfmex_check_number('plot_levels', 'L', L, 0, J - 1, 'integer');
  w = double(w(:));
  details = w(2^L+1:n);
  scale = max(abs(details));
  if scale == 0
    scale = 1;
  end
  coarse_scale = max(abs(w(1:2^L)));
  if coarse_scale == 0
    coarse_scale = 1;
  end

  % Row r (1 at the top) holds the coarse values, rows 2.. the details of
  % levels K .. 1 (2^(J-k) values each); spikes reach 0.45 of a row above
  % or below its axis.
  K = J - L;
  rows = K + 1;
  X = [];
  Y = [];
  for r = 1:rows
    if r == 1
      count = 2^L;
      c = w(1:count) / coarse_scale;
    else
      count = 2^(L + r - 2);
      c = w(count+1:2*count) / scale;
    end
    c = sign(c) .* sqrt(abs(c));
    t = ((0:count-1)' + 0.5) * n / count;
    X = [X; reshape([t, t, nan(size(t))]', [], 1)]; %#ok<AGROW>
    Y = [Y; reshape([r + 0 * t, r - 0.45 * c, nan(size(t))]', [], 1)]; %#ok<AGROW>
  end

  fig = figure('visible', 'off', 'position', [100 100 900, 120 + 45 * rows]);
  ax = axes('parent', fig);
  plot(ax, X, Y, 'color', [0.08 0.2 0.45], 'linewidth', 1.5);
  hold(ax, 'on');
  plot(ax, repmat([0; n; NaN], 1, rows), [1:rows; 1:rows; nan(1, rows)], ...
       'color', [0.75 0.75 0.75]);
  hold(ax, 'off');
  labels = [{sprintf('coarse, level %d', K)}, ...
            arrayfun(@(k) sprintf('level %d', k), K:-1:1, 'UniformOutput', false)];
  set(ax, 'ydir', 'reverse', 'ytick', 1:rows, 'yticklabel', labels, ...
      'xlim', [0 n], 'ylim', [0.4 rows + 0.6], 'box', 'on');
  xlabel(ax, 'time (samples)');
  if ~isempty(name)
    title(ax, name);
  end
end
