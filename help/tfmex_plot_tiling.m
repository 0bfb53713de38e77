function fig = tfmex_plot_tiling(basis, coef, kind, name)
% TFMEX_PLOT_TILING  Draw the time-frequency tiling of a basis.
%   FIG = tfmex_plot_tiling(BASIS, COEF, KIND) draws one tile per
%   coefficient of a basis, shaded by its energy (squared coefficient)
%   relative to the largest, on a logarithmic scale of four decades, and
%   outlines the blocks of the basis. Time runs along the x axis in samples,
%   frequency up the y axis as a fraction of the Nyquist frequency.
%   FIG = tfmex_plot_tiling(..., TITLE) puts TITLE above the picture.
%
%   BASIS, COEF  as tfmex_bestbasis returns them: the basis (or its rows
%                [d k]) and its n coefficients. A basis that records its
%                kind is drawn only as that KIND. Refusals carry the
%                identifier tfmex:plot_tiling:<reason>.
%   KIND         'packet' for a PacketSplit table: block k of column d+1 is
%                the k-th of 2^d frequency bands, and its coefficient i
%                covers samples i*2^d .. (i+1)*2^d;
%                'bell' for a BellSplit table: block k is the k-th of 2^d
%                time segments, and its coefficient j the j-th of n/2^d
%                frequency bands.
%
%   The figure is made invisible; write it with tfmex_print.
%
%   The C++ library's tfmex::tiling (tfmex/analysis.hpp) gives the same
%   tiles and blocks.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     x = sin(2 * pi * 40 * ((0:511) / 512) .^ 2);
%     [basis, coef] = tfmex_bestbasis(PacketSplit(x, 5, h));
%     fig = tfmex_plot_tiling(basis, coef, 'packet', 'best packet basis');
%     tfmex_print(fig, fullfile(tempdir, 'tiling.png'));
%     close(fig);
%
%   See also tfmex_bestbasis, tfmex_plot_table, tfmex_print.
  if nargin < 3
    tfmex_fail('plot_tiling', 'nargin', 'BASIS, COEF and KIND are required');
  end
  if nargin < 4
    name = '';
  elseif ~ischar(name)
    tfmex_fail('plot_tiling', 'class', 'TITLE must be text, got %s', tfmex_describe(name));
  end
  packets = tfmex_check_choice('plot_tiling', 'KIND', kind, {'packet', 'bell'}) == 1;
  if isnumeric(coef) && ~isreal(coef)
    tfmex_fail('plot_tiling', 'class', 'COEF must hold the n = 2^J real coefficients of BASIS, got complex values');
  end
  coef = tfmex_check_signal('plot_tiling', 'COEF', coef, 'the n = 2^J real coefficients of BASIS');
  n = numel(coef);
  if 2^round(log2(n)) ~= n
    tfmex_fail('plot_tiling', 'size', 'COEF must hold the n = 2^J coefficients of BASIS, got %d', n);
  end
  [basis, recorded] = tfmex_check_basis('plot_tiling', basis, n);
  if ~isempty(recorded) && ~strcmpi(recorded, kind)
    tfmex_fail('plot_tiling', 'kind', 'BASIS is a basis of a ''%s'' table, not of a ''%s'' table', ...
               recorded, lower(kind));
  end
  coef = coef(:);

  boxes = zeros(n, 4);
  blocks = zeros(size(basis, 1), 4);
  at = 0;
  for b = 1:size(basis, 1)
    d = basis(b, 1);
    k = basis(b, 2);
    len = n / 2^d;
    i = (0:len-1)';
    if packets
      f = [k, k + 1] / 2^d;
      boxes(at+1:at+len, :) = [i * 2^d, (i + 1) * 2^d, repmat(f, len, 1)];
      blocks(b, :) = [0, n, f];
    else
      t = [k, k + 1] * len;
      boxes(at+1:at+len, :) = [repmat(t, len, 1), i / len, (i + 1) / len];
      blocks(b, :) = [t, 0, 1];
    end
    at = at + len;
  end

  energy = coef .* coef;
  largest = max(energy);
  if largest == 0
    largest = 1;
  end
  level = min(max(1 + log10(energy / largest) / 4, 0), 1);
  shown = level > 0;   % tiles under four decades stay white

  fig = figure('visible', 'off', 'position', [100 100 900 560]);
  ax = axes('parent', fig);
  colormap(ax, shades(64));
  hold(ax, 'on');
  B = boxes(shown, :);
  if ~isempty(B)
    V = [B(:, [1 3]); B(:, [2 3]); B(:, [2 4]); B(:, [1 4])];
    m = size(B, 1);
    F = [(1:m)', (m+1:2*m)', (2*m+1:3*m)', (3*m+1:4*m)'];
    patch('parent', ax, 'Faces', F, 'Vertices', V, 'FaceVertexCData', level(shown), ...
          'FaceColor', 'flat', 'EdgeColor', 'none');
  end
  % The blocks' outlines as one line, NaN between rectangles.
  X = [blocks(:, [1 2 2 1 1]), nan(size(blocks, 1), 1)]';
  Y = [blocks(:, [3 3 4 4 3]), nan(size(blocks, 1), 1)]';
  plot(ax, X(:), Y(:), 'color', [0.93 0.55 0.3], 'linewidth', 0.5);
  hold(ax, 'off');
  caxis(ax, [0 1]);
  axis(ax, [0 n 0 1]);
  set(ax, 'box', 'on', 'layer', 'top', 'fontsize', 10);
  xlabel(ax, 'time (samples)');
  ylabel(ax, 'frequency / Nyquist');
  cb = colorbar('peer', ax);
  set(cb, 'ytick', 0:0.25:1, 'yticklabel', {'1e-4', '1e-3', '1e-2', '1e-1', '1'});
  ylabel(cb, 'tile energy / largest');
  if ~isempty(name)
    title(ax, name);
  end
end

function map = shades(count)
  % White to dark blue.
  s = linspace(0, 1, count)';
  map = 1 - s * (1 - [8 48 107] / 255);
end
