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
