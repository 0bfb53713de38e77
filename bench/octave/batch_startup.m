function batch_startup()
  % What tfmex_batch costs over the serial loop for 16 small jobs: the
  % first batch starts the worker processes, later batches of as many
  % workers reuse them. Run from build/: octave-cli --eval
  % "addpath('mex'); addpath('../bench/octave'); batch_startup()"
  h = tfmex_filter('daubechies', 4);
  inputs = arrayfun(@(s) tfmex_gaussian(256, s), 1:16, 'UniformOutput', false);
  den = @(x) tfmex_denoise(x, h, 'method', 'ti');
  tic; tfmex_batch(den, inputs, 'workers', 1); serial = toc;
  tic; tfmex_batch(den, inputs, 'workers', 2); first = toc;
  again = zeros(1, 5);
  for k = 1:5
    tic; tfmex_batch(den, inputs, 'workers', 2); again(k) = toc;
  end
  printf('16 jobs: serial %.3f s; 2 workers: first batch %.3f s, later batches %.3f s (median of 5)\n', ...
         serial, first, median(again));
end
