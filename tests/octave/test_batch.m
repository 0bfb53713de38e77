function test_batch()
  % tfmex_batch: spread over local processes (parcellfun) and over two
  % servers of a cluster on this machine (netcellfun, see two_servers.sh),
  % every result identical to the serial loop.
  h = tfmex_filter('daubechies', 4);
  inputs = arrayfun(@(s) tfmex_gaussian(256, s)' + sin((0:255) / 20), 1:10, 'UniformOutput', false);
  den = @(x) tfmex_denoise(x, h, 'method', 'ti');
  serial = cellfun(den, inputs, 'UniformOutput', false);
  for workers = {1, 2, []}
    got = tfmex_batch(den, inputs, 'workers', workers{1});
    if ~isequal(got, serial)
      error('%s workers: results differ from the serial loop', num2str(workers{1}));
    end
  end
  % The shape of ARGS is kept; an empty batch gives an empty result.
  grid = reshape(inputs(1:6), 2, 3);
  got = tfmex_batch(@(x) tfmex_bestbasis(PacketSplit(x, 4, h)), grid, 'workers', 2);
  if ~isequal(got, cellfun(@(x) tfmex_bestbasis(PacketSplit(x, 4, h)), grid, 'UniformOutput', false))
    error('2 x 3 batch of bases differs from the serial loop');
  end
  expect_near(size(tfmex_batch(den, cell(0, 3))), [0 3], 0, 'empty batch');
  try
    tfmex_batch('tfmex_denoise', inputs);
    error('a function name instead of a handle was accepted');
  catch err
    if isempty(strfind(err.message, 'function handle'))
      rethrow(err);
    end
  end

  % A failing call stops the batch with its index and its own message, in
  % this session and in worker processes alike (not parcellfun's "could not
  % receive result"); the first failure in ARGS order is the one reported.
  picky = @(k) tfmex_denoise(inputs{k}, h, 'level', -(k == 4 || k == 7));
  for workers = {1, 2}
    expect_id(@() tfmex_batch(picky, num2cell(1:8), 'workers', workers{1}), 'tfmex:batch:job', ...
              'job 4 failed: tfmex_denoise: ');
  end
  expect_id(@() tfmex_batch(@(x) error('my:id', '50%% off %s', 'x'), {1}, 'workers', 2), ...
            'tfmex:batch:job', 'job 1 failed: 50% off x');
  % The pool of processes kept from the batch above gives the same results.
  if ~isequal(tfmex_batch(den, inputs, 'workers', 2), serial)
    error('2 workers after a failed batch: results differ from the serial loop');
  end

  % Options refused by name, before any process starts.
  for bad = {{0, 'range'}, {-1, 'range'}, {'two', 'class'}, {1.5, 'integer'}, {[2 2], 'size'}, {Inf, 'nonfinite'}}
    expect_id(@() tfmex_batch(den, inputs, 'workers', bad{1}{1}), ['tfmex:batch:' bad{1}{2}], '''workers''');
  end
  expect_id(@() tfmex_batch(den, inputs, 'jobs', -1), 'tfmex:batch:range', '''jobs''');
  expect_id(@() tfmex_batch(den, inputs, 'tls', 'no'), 'tfmex:batch:class', '''tls''');
  expect_id(@() tfmex_batch(den, inputs, 'tls', 2), 'tfmex:batch:class', '''tls''');
  expect_id(@() tfmex_batch(den, inputs, 'hosts', 'm1'), 'tfmex:batch:hosts', 'cell array');
  expect_id(@() tfmex_batch(den, inputs, 'hosts', {'m1', 3}), 'tfmex:batch:hosts', 'cell array');
  expect_id(@() tfmex_batch(den, inputs, 'hosts', {'m1', 'm1'}), 'tfmex:batch:hosts', 'twice');
  expect_id(@() tfmex_batch(den, inputs, 'worker', 2), 'tfmex:batch:option', 'unknown option');
  expect_id(@() tfmex_batch(den, inputs, 'workers'), 'tfmex:batch:option', 'pairs');
  expect_id(@() tfmex_batch(den, 'x'), 'tfmex:batch:nargin', 'function handle');
  expect_near(numel(tfmex_batch(den, inputs(1:2), 'workers', uint8(2), 'tls', false)), 2, 0, ...
              'an integer class of workers, tls false without hosts');

  % Two servers, each in its own network namespace (needs root), running as
  % 'nobody', who must be able to read the plug-ins and these tests.
  here = fileparts(mfilename('fullpath'));
  mexdir = fileparts(which('CircSplit'));
  if system(sprintf('runuser -u nobody -- test -r "%s" -a -r "%s" 2>/dev/null', ...
                    which('CircSplit'), fullfile(here, 'cluster_batch_check.m'))) ~= 0
    printf('test_batch: two-server part skipped: the user nobody cannot read %s and %s\n', mexdir, here);
    return;
  end
  cmd = sprintf(['"%s" octave-cli --no-gui --norc --quiet --eval "addpath(''%s''); addpath(''%s''); ' ...
                 'try, cluster_batch_check(); exit(0); catch e, disp(e.message); exit(1); end"'], ...
                fullfile(here, 'two_servers.sh'), here, mexdir);
  [status, text] = system(cmd);
  if status == 77
    printf('test_batch: two-server part skipped: %s', text);
  elseif status ~= 0
    error('two servers (status %d):\n%s', status, text);
  end
end
