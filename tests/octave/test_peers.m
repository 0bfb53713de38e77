function test_peers()
  % The filters and plug-ins against PyWavelets and SciPy: writes the
  % filters of tfmex_filter and tfmex_dualfilter, and plug-in results for
  % fixed inputs, as text into a scratch folder, and has peers.py (run by
  % Debian's /usr/bin/python3) check every relation docs/conventions.rst states.
  here = fileparts(mfilename('fullpath'));
  work = tempname();
  mkdir(work);
  cleanup = onCleanup(@() remove_tree(work));

  put = @(name, M) write_matrix(fullfile(work, [name '.txt']), M);
  families = {'daubechies', 2:2:40; 'symmlet', 8:2:40; 'coiflet', 6:6:30};
  randn('state', 11);
  x = randn(64, 1);
  put('x', x');
  for f = 1:size(families, 1)
    for m = families{f, 2}
      h = tfmex_filter(families{f, 1}, m);
      name = sprintf('%s_%d', families{f, 1}, m);
      put(['filter_' name], h);
      % One stage, on the input rotated down by m/2 - 1 places.
      put(['stage_' name], CircSplit(circshift(x, m / 2 - 1), 5, h)');
    end
  end
  for N = 2:20
    put(sprintf('filter_sym%d', N), tfmex_filter(sprintf('sym%d', N)));
  end
  for pq = [2 2; 2 4; 2 6; 2 8]'
    [ha, hs] = tfmex_dualfilter('spline', pq(1), pq(2));
    put(sprintf('dual_spline_%d_%d_ha', pq), ha);
    put(sprintf('dual_spline_%d_%d_hs', pq), hs);
  end
  [ha, hs] = tfmex_dualfilter('cdf97');
  put('dual_cdf97_ha', ha);
  put('dual_cdf97_hs', hs);

  haar = tfmex_filter('haar');
  for L = 0:6
    put(sprintf('haar_level_%d', L), CircSplit(x, L, haar)');
  end
  put('packets_haar', PacketSplit(x, 4, haar));
  X = reshape(x(1:48), 16, 3);
  put('matrix', X);
  put('matrix_haar_L2', CircSplit(X, 2, haar));
  put('row_haar_L2', CircSplit(x(1:16)', 2, haar));
  put('stage_matrix_db4', CircSplit(circshift(X, 1), 3, tfmex_filter('daubechies', 4)));
  put('stages_daubechies_8', pywt_levels(x, 3, tfmex_filter('daubechies', 8)));
  put('stages_coiflet_12', pywt_levels(x, 3, tfmex_filter('coiflet', 12)));

  y = x(1:16);
  for t = {'TrigC2', 'TrigC3', 'TrigC4', 'TrigS2', 'TrigS3'}
    put(t{1}, feval(t{1}, y)');
  end
  put('TrigC2_matrix', TrigC2(X));

  [status, out] = system(sprintf('/usr/bin/python3 "%s" "%s" 2>&1', fullfile(here, 'peers.py'), work));
  printf('%s', out);
  if status ~= 0
    error('peers.py found disagreements (status %d)', status);
  end
end

function w = pywt_levels(x, levels, h)
  % The conventions page's recipe for PyWavelets' phase with filters longer than Haar:
  % one CircSplit stage per level, its input rotated down by m/2 - 1 places
  % and its details rotated back up and negated.
  s = numel(h) / 2 - 1;
  a = x(:);
  details = [];
  for k = 1:levels
    half = numel(a) / 2;
    y = CircSplit(circshift(a, s), log2(half), h);
    details = [-circshift(y(half+1:end), -s); details];
    a = y(1:half);
  end
  w = [a; details]';
end

function write_matrix(file, M)
  fid = fopen(file, 'w');
  fprintf(fid, [repmat('%.17g ', 1, size(M, 2)) '\n'], M');
  fclose(fid);
end

function remove_tree(folder)
  old = confirm_recursive_rmdir(false);
  rmdir(folder, 's');
  confirm_recursive_rmdir(old);
end
