% The Octave section of bench/run: the plug-ins timed in octave-cli, the host
% their users have, against FFTW behind the same MEX call interface
% (fftw_mex) and against a MEX call that only copies its input (copy_mex).
% Every case is called once untimed, then timed as the median of `reps`
% samples, each sample repeating the call until it lasts 2 ms or more.
% Writes one line per case to `out`: its name and its median in ns.
%
%   bench_octave(out, quick)   (run with the plug-ins and the peers on the path)
function bench_octave(out, quick)
  reps = 7;
  if quick
    reps = 3;
  end
  measure = ~quick;
  fid = fopen(out, 'w');
  randn('seed', 1);
  h8 = randn(1, 8);
  h8 = h8 / norm(h8);
  setenv('TFMEX_THREADS', '1');

  % Type II/III/IV transforms against FFTW, one thread.
  names = {'TrigC2', 'TrigC3', 'TrigS2', 'TrigS3', 'TrigC4'};
  kinds = {'REDFT10', 'REDFT01', 'RODFT10', 'RODFT01', 'REDFT11'};
  for J = [14 17 20]
    n = 2^J;
    x = randn(n, 1);
    for k = 1:numel(names)
      f = str2func(names{k});
      put(fid, sprintf('octave/%s/%d', names{k}, n), median_ns(@() f(x), reps));
      put(fid, sprintf('octave/fftw/%s/%d', kinds{k}, n), ...
          median_ns(@() fftw_mex(x, k - 1, measure), reps));
    end
    % Cosine packets at D = 0 (one level: one TrigC4 of length n, folded).
    put(fid, sprintf('octave/BellSplit/%d/0', n), median_ns(@() BellSplit(x, 0, 'Sine'), reps));
    t = BellSplit(x, 0, 'Sine');
    put(fid, sprintf('octave/BellJoin/%d/0', n), median_ns(@() BellJoin(t), reps));
  end

  % Large outputs against the copy floor of the same output size.
  n = 2^20;
  x = randn(n, 1);
  img = randn(2048, 2048);
  put(fid, 'octave/floor/2048x2048', median_ns(@() copy_mex(img), reps));
  put(fid, sprintf('octave/floor/%dx21', n), median_ns(@() copy_mex(x, n, 21), reps));
  put(fid, 'octave/CircSplit2/2048/8', median_ns(@() CircSplit2(img, 0, h8), reps));
  put(fid, sprintf('octave/PacketSplit/%d/8', n), median_ns(@() PacketSplit(x, 20, h8), reps));
  put(fid, sprintf('octave/ShiftSplit/%d/8', n), median_ns(@() ShiftSplit(x, 0, h8), reps));
  put(fid, sprintf('octave/BellSplit/%d/20', n), median_ns(@() BellSplit(x, 20, 'Sine'), reps));

  % Thread gains: the same calls with one thread and with two.
  cols = randn(2^16, 64);
  tp = PacketSplit(x, 20, h8);
  ts = ShiftSplit(x, 0, h8);
  tb = BellSplit(x, 10, 'Sine');
  q = randn(1, 9);
  dq = randn(1, 7);
  cases = {'CircSplit2 2048^2', @() CircSplit2(img, 0, h8);
           'CircJoin2 2048^2', @() CircJoin2(img, 0, h8);
           'CircSplit 2^16x64', @() CircSplit(cols, 0, h8);
           'CircJoin 2^16x64', @() CircJoin(cols, 0, h8);
           'DualSplit 2^16x64', @() DualSplit(cols, 0, q, dq);
           'DualJoin 2^16x64', @() DualJoin(cols, 0, q, dq);
           'ShiftSplit 2^20 D=20', @() ShiftSplit(x, 0, h8);
           'ShiftJoin 2^20 D=20', @() ShiftJoin(ts, h8);
           'PacketSplit 2^20 D=20', @() PacketSplit(x, 20, h8);
           'PacketJoin 2^20 D=20', @() PacketJoin(tp, h8);
           'BellSplit 2^20 D=10', @() BellSplit(x, 10, 'Sine');
           'BellJoin 2^20 D=10', @() BellJoin(tb)};
  for c = 1:rows(cases)
    for t = [1 2]
      setenv('TFMEX_THREADS', num2str(t));
      put(fid, sprintf('octave/threads%d/%s', t, cases{c, 1}), median_ns(cases{c, 2}, reps));
    end
  end
  setenv('TFMEX_THREADS', '1');

  % The first call of a length (tables and workspace made) against later ones.
  for k = [1 5]
    for J = [18 19]
      n = 2^J;
      x = randn(n, 1);
      f = str2func(names{k});
      t0 = tic;
      y = f(x);
      put(fid, sprintf('octave/first/%s/%d', names{k}, n), toc(t0) * 1e9);
      put(fid, sprintf('octave/%s/%d', names{k}, n), median_ns(@() f(x), reps));
    end
  end
  fclose(fid);
end

function put(fid, name, ns)
  fprintf(fid, '%s\t%.0f\n', name, ns);
end

function ns = median_ns(f, reps)
  y = f();
  t0 = tic;
  y = f();
  once = toc(t0);
  inner = max(1, ceil(0.002 / max(once, 1e-7)));
  t = zeros(1, reps);
  for r = 1:reps
    t0 = tic;
    for i = 1:inner
      y = f();
    end
    t(r) = toc(t0) / inner;
  end
  ns = median(t) * 1e9;
end
