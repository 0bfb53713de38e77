function run_octave_test(name, bindir)
  % Runs one test script in the real host and exits with its verdict:
  % status 0 when the script ran to its end, 1 on the first failed check.
  global TFMEX_BIN_DIR
  TFMEX_BIN_DIR = bindir;
  try
    feval(name);
    printf('%s: passed\n', name);
    exit(0);
  catch err
    printf('%s: FAILED: %s\n', name, err.message);
    for k = 1:numel(err.stack)
      printf('  at %s line %d\n', err.stack(k).name, err.stack(k).line);
    end
    exit(1);
  end
end
