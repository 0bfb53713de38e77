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
%   Options, as name/value pairs:
%     'workers'      number of local processes (default nproc); 1 runs the
%                    serial loop in this session.
%     'hosts'        a cell array of machine names running pserver: the
%                    calls are spread over them with netcellfun, and the
%                    connections closed at the end.
%     'connections'  connections from pconnect, used instead of 'hosts' and
%                    left open.
%     'tls'          false to connect to servers started without
%                    authentication (pserver(struct('use_tls', false)));
%                    default true.
%     'jobs'         local processes per server (default 1; 0: one per
%                    core of each server).
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
%   Across machines (servers started with pserver on m1 and m2):
%     out = tfmex_batch(den, noisy, 'hosts', {'m1', 'm2'});
%
%   See also tfmex_denoise, tfmex_demo.
  if nargin < 2 || ~isa(fun, 'function_handle') || ~iscell(args)
    error('tfmex_batch: call as tfmex_batch(FUN, ARGS) with a function handle and a cell array');
  end
  opt = struct('workers', [], 'hosts', {{}}, 'connections', [], 'tls', true, 'jobs', 1);
  if mod(numel(varargin), 2)
    error('tfmex_batch: options come as name/value pairs');
  end
  for i = 1:2:numel(varargin)
    if ~ischar(varargin{i}) || ~isfield(opt, lower(varargin{i}))
      error('tfmex_batch: unknown option');
    end
    opt.(lower(varargin{i})) = varargin{i+1};
  end
  cluster = ~isempty(opt.hosts) || ~isempty(opt.connections);
  if isempty(args)
    out = cell(size(args));
    return;
  end
  if ~cluster && isequal(opt.workers, 1)
    out = cellfun(fun, args, 'UniformOutput', false);
    return;
  end
  if ~exist('OCTAVE_VERSION', 'builtin')
    error('tfmex_batch: parallel runs need GNU Octave''s parallel package; use ''workers'', 1 in MATLAB');
  end
  if ~exist('parcellfun', 'file')
    pkg('load', 'parallel');
  end

  if ~cluster
    workers = opt.workers;
    if isempty(workers)
      workers = nproc();
    end
    out = parcellfun(workers, fun, args, 'UniformOutput', false, 'VerboseLevel', 0);
    return;
  end

  conns = opt.connections;
  opened = isempty(conns);
  if opened
    if ~iscellstr(opt.hosts)
      error('tfmex_batch: ''hosts'' must be a cell array of machine names');
    end
    conns = pconnect(opt.hosts, struct('use_tls', logical(opt.tls)));
  end
  try
    servers = conns(2:end);   % position 1 is this machine
    network_set(servers, 'nlocaljobs', opt.jobs);
    reval(sprintf('addpath(''%s'');', strrep(path(), '''', '''''')), servers);
    out = netcellfun(servers, fun, args, 'UniformOutput', false);
  catch err
    if opened
      sclose(conns);
    end
    rethrow(err);
  end
  if opened
    sclose(conns);
  end
end
