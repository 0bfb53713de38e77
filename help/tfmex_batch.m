function out = tfmex_batch(fun, args, varargin)
% TFMEX_BATCH  Apply a function to many inputs, spread over processes or machines.
%   OUT = tfmex_batch(FUN, ARGS) calls FUN(ARGS{i}) for every cell of ARGS
%   and returns the results in a cell array the shape of ARGS. The calls
%   are spread over as many Octave processes as the machine has cores with
%   parcellfun from Octave's parallel package (Debian: octave-parallel;
%   loaded here when needed). Every call computes the same doubles as it
%   would in this session, so OUT is identical (isequal) to the serial loop
%   OUT{i} = FUN(ARGS{i}).
%
%   A call that fails stops the batch with the identifier tfmex:batch:job
%   and the message 'tfmex_batch: job I failed: <its message>', I the
%   call's index in ARGS (the first that failed). A bad option is refused
%   with the identifier tfmex:batch:<reason>.
%
%   Options, as name/value pairs:
%     'workers'      number of local processes, a positive integer (default
%                    nproc); 1 runs the serial loop in this session. The
%                    processes stay up for the next batch of as many.
%     'hosts'        a cell array of machine names running servers: the
%                    calls are spread over them with netcellfun, and the
%                    connections closed at the end.
%     'connections'  connections from pconnect, used instead of 'hosts' and
%                    left open.
%     'tls'          true to authenticate and encrypt with TLS, false for
%                    servers started without (octave-pserver --no-auth).
%                    Default: true where the parallel package is built with
%                    GnuTLS (it has parallel_generate_srp_data), else false,
%                    as in Debian's octave-parallel.
%     'jobs'         local processes per server (default 1; 0: one per
%                    core of each server).
%   A server runs whatever its clients send: start servers without TLS only
%   where no one else can reach their ports (12501, 12502), or reach them
%   through an SSH tunnel (see the site's page on clusters,
%   docs/guide/cluster.rst).
%   Before a cluster run, every server adds this session's path to its own,
%   so the plug-ins and toolbox functions must be found at the same folders
%   on every machine (a shared file system, or the same installation).
%   FUN must be a function handle; anonymous functions carry their context.
%
%   Example:
%     h = [1 1] / sqrt(2);
%     noisy = arrayfun(@(s) tfmex_gaussian(256, s), 1:8, 'UniformOutput', false);
%     den = @(x) tfmex_denoise(x, h, 'method', 'ti');
%     out = tfmex_batch(den, noisy, 'workers', 2);
%     same = isequal(out, cellfun(den, noisy, 'UniformOutput', false))   % 1
%
%   Across machines, a server started on m1 and on m2 as a normal user
%   (Debian's pserver() refuses options; call the server program itself):
%     m1$ /usr/libexec/octave-pserver --octave-binary=$(command -v octave-cli) --no-auth
%     out = tfmex_batch(den, noisy, 'hosts', {'m1', 'm2'});
%
%   See also tfmex_denoise, tfmex_demo.
  if nargin == 3 && isequal(varargin{1}, '-call')
    % One call of a batch, in whatever process runs it.
    try
      out = {fun(args)};
    catch err
      out = struct('message', err.message, 'identifier', err.identifier);
    end
    return;
  end
  if nargin < 2 || ~isa(fun, 'function_handle') || ~iscell(args)
    tfmex_fail('batch', 'nargin', 'call as tfmex_batch(FUN, ARGS) with a function handle and a cell array');
  end
  opt = struct('workers', [], 'hosts', {{}}, 'connections', [], 'tls', [], 'jobs', 1);
  if mod(numel(varargin), 2)
    tfmex_fail('batch', 'option', 'options come as name/value pairs');
  end
  for i = 1:2:numel(varargin)
    if ~ischar(varargin{i}) || ~isfield(opt, lower(varargin{i}))
      tfmex_fail('batch', 'option', ['unknown option %s; options: ''workers'', ''hosts'', ' ...
                                     '''connections'', ''tls'', ''jobs'''], tfmex_describe(varargin{i}));
    end
    opt.(lower(varargin{i})) = varargin{i+1};
  end
  if ~(isnumeric(opt.workers) && isempty(opt.workers))
    opt.workers = tfmex_check_number('batch', '''workers''', opt.workers, 1, Inf, 'integer');
  end
  opt.jobs = tfmex_check_number('batch', '''jobs''', opt.jobs, 0, Inf, 'integer');
  if ~(isnumeric(opt.tls) && isempty(opt.tls)) && ...
     ~((islogical(opt.tls) || isnumeric(opt.tls)) && isscalar(opt.tls) && any(double(opt.tls) == [0 1]))
    tfmex_fail('batch', 'class', '''tls'' must be true or false, got %s', tfmex_describe(opt.tls));
  end
  if ~(iscell(opt.hosts) && all(cellfun(@(h) ischar(h) && isrow(h), opt.hosts(:)')))
    tfmex_fail('batch', 'hosts', '''hosts'' must be a cell array of machine names, got %s', ...
               tfmex_describe(opt.hosts));
  end
  if numel(unique(opt.hosts)) < numel(opt.hosts)
    tfmex_fail('batch', 'hosts', '''hosts'' names a machine twice');
  end
  cluster = ~isempty(opt.hosts) || ~isempty(opt.connections);
  if isempty(args)
    out = cell(size(args));
    return;
  end
  % Every call's result comes back in a cell of its own; a call that fails
  % comes back as its error's struct, raised here with the call's index.
  % The calls catch their own errors in tfmex_batch(FUN, X, '-call'): the
  % processes find only functions on the path, not this file's subfunctions,
  % and parcellfun's own error handler is given a stale message.
  guarded = @(x) tfmex_batch(fun, x, '-call');
  if ~cluster && isequal(opt.workers, 1)
    out = unwrap(cellfun(guarded, args, 'UniformOutput', false));
    return;
  end
  if ~exist('OCTAVE_VERSION', 'builtin')
    tfmex_fail('batch', 'host', 'parallel runs need GNU Octave''s parallel package; use ''workers'', 1 in MATLAB');
  end
  if ~exist('parcellfun', 'file')
    pkg('load', 'parallel');
  end

  if ~cluster
    workers = opt.workers;
    if isempty(workers)
      workers = nproc();
    end
    out = unwrap(parcellfun(workers, guarded, args, 'UniformOutput', false, 'VerboseLevel', 0));
    return;
  end

  conns = opt.connections;
  opened = isempty(conns);
  if opened
    tls = opt.tls;
    if isempty(tls)
      % Builds of the parallel package without GnuTLS (Debian's) have no
      % SRP key generator, and their servers cannot authenticate.
      tls = exist('parallel_generate_srp_data') ~= 0;
    end
    conns = pconnect(opt.hosts, struct('use_tls', logical(tls)));
  end
  try
    servers = conns(2:end);   % position 1 is this machine
    network_set(servers, 'nlocaljobs', opt.jobs);
    reval(sprintf('addpath(''%s'');', strrep(path(), '''', '''''')), servers);
    out = netcellfun(servers, guarded, args, 'UniformOutput', false);
  catch err
    if opened
      sclose(conns);
    end
    rethrow(err);
  end
  if opened
    sclose(conns);
  end
  out = unwrap(out);
end

function out = unwrap(out)
  % The results out of their cells; the first failed call is raised.
  for i = 1:numel(out)
    if isstruct(out{i})
      err = out{i};
      tfmex_fail('batch', 'job', 'job %d failed: %s', i, err.message);
    end
    out{i} = out{i}{1};
  end
end
