function test_threads()
  % Threads and kept workspaces in the real host: one thread and two give the
  % same doubles, repeated calls too, and `clear functions` (which unloads the
  % plug-ins, stopping their workers and freeing their workspaces) leaves
  % later calls as they were.
  randn('seed', 3);
  X = randn(4096, 64);
  I = randn(1024, 1024);
  h = randn(1, 8);
  h = h / norm(h);
  x = randn(2^18, 1);
  old = getenv('TFMEX_THREADS');
  restore = onCleanup(@() setenv('TFMEX_THREADS', old));
  calls = {@() CircSplit(X, 2, h), @() CircJoin(X, 2, h), @() CircSplit2(I, 0, h), ...
           @() CircJoin2(I, 0, h), @() PacketSplit(x, 6, h), ...
           @() ShiftSplit(x, 12, h), @() BellSplit(x, 6, 'Sine')};
  setenv('TFMEX_THREADS', '1');
  one = cellfun(@(f) f(), calls, 'UniformOutput', false);
  setenv('TFMEX_THREADS', '2');
  for round = 1:2
    for k = 1:numel(calls)
      if ~isequal(calls{k}(), one{k})
        error('call %d differs with two threads (round %d)', k, round);
      end
    end
    clear functions
  end
  setenv('TFMEX_THREADS', '1');
  for k = 1:numel(calls)
    if ~isequal(calls{k}(), one{k})
      error('call %d differs after clear functions', k);
    end
  end
end
