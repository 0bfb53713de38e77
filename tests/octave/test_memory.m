function test_memory()
  % A result too large for the memory a process may have ends the call with
  % an out-of-memory message, and Octave goes on: ShiftSplit of a 2^22-value
  % signal to level 0 (a 736 MiB table) in an Octave started under `ulimit -v`
  % with room for its signal and workspace but not for the table. Octave
  % allocates the result and names the plug-in in its message ("ShiftSplit:
  % failed to allocate ... bytes of memory"); should the table fit and Octave's
  % own copy of it not, Octave reports that instead. Linux only: elsewhere a
  % limit on the address space is not set this way.
  if ~isunix() || ismac()
    printf('test_memory: skipped: the address space is limited with ulimit -v on Linux only\n');
    return;
  end
  mexdir = fileparts(which('ShiftSplit'));
  setup = sprintf(['addpath(''%s''); x = randn(2^22, 1); h = [1 1] / sqrt(2); ' ...
                   'y = ShiftSplit(x(1:8), 0, h); '], mexdir);
  % The child's own size once set up, as it reports it.
  [status, text] = system(octave_child([setup, ...
      's = fileread(''/proc/self/status''); ' ...
      'printf(''VM %s\n'', regexp(s, ''VmSize:\s*(\d+)'', ''tokens''){1}{1});'], ''));
  vm = regexp(text, 'VM (\d+)', 'tokens');
  if status ~= 0 || isempty(vm)
    error('the child Octave did not start (status %d):\n%s', status, text);
  end
  % 256 MiB more: the workspace (64 MiB) fits, the table does not.
  limit_kb = str2double(vm{1}{1}) + 256 * 1024;
  [status, text] = system(octave_child([setup, ...
      'try, T = ShiftSplit(x, 0, h); printf(''ACCEPTED %d\n'', numel(T)); ' ...
      'catch e, printf(''REFUSED %s\n'', e.message); end; ' ...
      'y = ShiftSplit(x(1:8), 0, h); printf(''ALIVE %d\n'', numel(y));'], ...
      sprintf('ulimit -v %d; ', limit_kb)));
  if status ~= 0
    error('Octave did not survive the refused call (status %d):\n%s', status, text);
  end
  refused = regexp(text, 'REFUSED ([^\n]*)', 'tokens');
  if isempty(refused)
    error('the call was not refused under a limit of %d KiB:\n%s', limit_kb, text);
  end
  message = refused{1}{1};
  if isempty(regexp(message, ['^ShiftSplit: failed to allocate \d+ bytes of memory$|' ...
                              '^ShiftSplit: ShiftSplit could not allocate its workspace$|' ...
                              '^out of memory'], 'once'))
    error('not an out-of-memory message: "%s"', message);
  end
  if isempty(strfind(text, 'ALIVE 32'))
    error('a later call failed after the refusal:\n%s', text);
  end
end

function cmd = octave_child(code, prefix)
  % A shell command that runs code in a fresh octave-cli on one thread.
  cmd = sprintf(['%sTFMEX_THREADS=1 octave-cli --no-gui --norc --no-history --quiet ' ...
                 '--eval "%s" 2>&1'], prefix, code);
end
