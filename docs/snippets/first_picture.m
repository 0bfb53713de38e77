t = (0:1023) / 1024;
x = sin(2 * pi * 100 * t .^ 2);                        % a chirp
[basis, coef] = tfmex_bestbasis(BellSplit(x, 5, 0), 'kind', 'bell');
fig = tfmex_plot_tiling(basis, coef, 'bell', 'best cosine packet basis');
tfmex_print(fig, 'tiling.png');                        % or .svg
close(fig);
