function test_fork()
  % A process that forks after threaded calls: the child calls the plug-in
  % again, with threads of its own, and exits; it must not wait for the
  % parent's workers. The parent's plug-in keeps working.
  old = getenv('TFMEX_THREADS');
  restore = onCleanup(@() setenv('TFMEX_THREADS', old));
  setenv('TFMEX_THREADS', '2');
  randn('seed', 11);
  I = randn(2048, 2048);
  h = [1 1] / sqrt(2);
  W = CircSplit2(I, 2, h);
  pid = fork();
  if pid == 0
    same = isequal(CircSplit2(I, 2, h), W);
    exit(3 - 3 * same);
  end
  if pid < 0
    error('fork failed');
  end
  status = [];
  for tries = 1:1500
    [got, st] = waitpid(pid, WNOHANG());
    if got == pid
      status = st;
      break;
    end
    pause(0.02);
  end
  if isempty(status)
    kill(pid, 9);
    waitpid(pid);
    error('the child hung on its way out');
  end
  if ~WIFEXITED(status) || WEXITSTATUS(status) ~= 0
    error('the child ended with status %d', status);
  end
  if ~isequal(CircSplit2(I, 2, h), W)
    error('the parent''s plug-in changed its result after the fork');
  end
end
