function file = tfmex_print(fig, file)
% TFMEX_PRINT  Write a figure to a PNG or SVG file, with or without a display.
%   FILE = tfmex_print(FIG, FILE) writes the figure FIG to FILE at its size
%   on screen (72 pixels to the inch) and returns FILE; the format follows
%   the extension, '.png' or '.svg'. It works in octave-cli without a
%   display (figures made with figure('visible', 'off')): under the gnuplot
%   toolkit PNG files come from gnuplot's cairo terminal, which needs no
%   Ghostscript; under the qt toolkit and in MATLAB, from print -dpng.
%
%   Example:
%     f = figure('visible', 'off');
%     plot(sin(0:0.1:6));
%     tfmex_print(f, fullfile(tempdir, 'sine.png'));
%     close(f);
%
%   See also tfmex_plot_tiling, tfmex_plot_table, tfmex_plot_levels.
  if nargin ~= 2 || ~ischar(file)
    tfmex_fail('print', 'nargin', 'call as tfmex_print(FIG, FILE)');
  end
  [~, ~, ext] = fileparts(file);
  switch lower(ext)
    case '.png'
      device = '-dpng';
      if exist('OCTAVE_VERSION', 'builtin') && strcmp(get(fig, '__graphics_toolkit__'), 'gnuplot')
        device = '-dpngcairo';   % gnuplot's own PNG: no Ghostscript needed
        warning('off', 'print:nogs', 'local');
      end
    case '.svg'
      device = '-dsvg';
    otherwise
      tfmex_fail('print', 'file', 'FILE must end in .png or .svg, got ''%s''', file);
  end
  % Print at the figure's size on screen, in pixels (72 to the inch).
  pos = get(fig, 'position');
  units = get(fig, 'paperunits');
  paper = get(fig, 'paperposition');
  set(fig, 'paperunits', 'inches', 'paperposition', [0 0 pos(3:4) / 72]);
  print(fig, device, '-r72', file);
  set(fig, 'paperunits', units, 'paperposition', paper);
end
