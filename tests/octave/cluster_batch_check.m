function cluster_batch_check()
  % Run inside two_servers.sh: tfmex_batch over the two servers named in
  % TFMEX_SERVERS gives exactly the serial results, spreads the calls over
  % both servers, and can reuse open connections.
  hosts = strsplit(getenv('TFMEX_SERVERS'));
  if numel(hosts) ~= 2
    error('TFMEX_SERVERS names %d servers', numel(hosts));
  end
  pkg load parallel
  h = tfmex_filter('daubechies', 8);
  inputs = arrayfun(@(s) tfmex_gaussian(512, s) + (0:511)' / 100, 1:12, 'UniformOutput', false);
  den = @(x) tfmex_denoise(x, h, 'method', 'ti', 'rule', 'sure');
  serial = cellfun(den, inputs, 'UniformOutput', false);
  got = tfmex_batch(den, inputs, 'hosts', hosts, 'tls', false);
  if ~isequal(got, serial)
    error('two servers: results differ from the serial loop');
  end

  % Without 'tls' the package's own build decides: Debian's has no TLS.
  if exist('parallel_generate_srp_data') == 0
    if ~isequal(tfmex_batch(den, inputs(1:4), 'hosts', hosts), serial(1:4))
      error('two servers, default tls: results differ from the serial loop');
    end
  end
  % A server's failure comes back with the call's index and its message.
  try
    tfmex_batch(@(k) tfmex_denoise(inputs{k}, h, 'level', -(k == 5)), num2cell(1:6), ...
                'hosts', hosts, 'tls', false);
    error('a failing call on a server was not reported');
  catch err
    if ~strcmp(err.identifier, 'tfmex:batch:job') || ...
       isempty(strfind(err.message, 'job 5 failed: tfmex_denoise: '))
      error('a server''s failure reported as %s: %s', err.identifier, err.message);
    end
  end

  conns = pconnect(hosts, struct('use_tls', false));
  basis = @(x) tfmex_bestbasis(PacketSplit(x, 5, h));
  got = tfmex_batch(basis, inputs, 'connections', conns);
  if ~isequal(got, cellfun(basis, inputs, 'UniformOutput', false))
    error('open connections: results differ from the serial loop');
  end
  where = tfmex_batch(@(k) gethostname(), num2cell(1:8), 'connections', conns);
  sclose(conns);
  if ~isequal(sort(unique(where)), sort(hosts))
    error('calls ran on %s, not on both of %s', strjoin(unique(where), ' '), strjoin(hosts, ' '));
  end
end
