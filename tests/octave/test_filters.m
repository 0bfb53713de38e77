function test_filters()
  % The filter functions: every orthonormal filter is orthonormal, has its
  % vanishing moments and reconstructs through the plug-ins; the dual pairs
  % are biorthogonal and reconstruct through DualSplit/DualJoin;
  % tfmex_checkfilter warns or refuses exactly where it should.
  families = {'haar', 2; 'daubechies', 2:2:40; 'symmlet', 8:2:40; 'coiflet', 6:6:30};
  randn('state', 3);
  X = randn(128, 2);
  for f = 1:size(families, 1)
    for m = families{f, 2}
      name = sprintf('%s %d', families{f, 1}, m);
      h = tfmex_filter(families{f, 1}, m);
      expect_near(size(h), [1 m], 0, [name ' shape']);
      expect_near(sum(h), sqrt(2), 1e-14, [name ' sum']);
      for j = 0:m/2 - 1
        expect_near(sum(h(1:m-2*j) .* h(2*j+1:m)), double(j == 0), 1e-14, ...
                    sprintf('%s translate %d', name, 2 * j));
      end
      N = m / 2;
      if strcmp(families{f, 1}, 'coiflet')
        N = m / 3;
      end
      % Wavelet moments about the centre: 0 below N, not 0 at N.
      k = (0:m-1) - (m - 1) / 2;
      for n = 0:N
        terms = (-1) .^ (0:m-1) .* k .^ n .* h;
        moment = abs(sum(terms)) / sum(abs(terms));
        if n < N && moment > 1e-12
          error('%s: wavelet moment %d is %g', name, n, moment);
        elseif n == N && moment < 1e-9
          error('%s: wavelet moment %d vanishes too', name, n);
        end
      end
      if strcmp(families{f, 1}, 'coiflet')
        % Scaling moments about tap 2K (k = 0 of the coiflet) vanish, n = 1 .. 2K-1.
        k = (0:m-1) - m / 3;
        for n = 1:m/3 - 1
          expect_near(sum(k .^ n .* h) / sum(abs(k .^ n .* h)), 0, 1e-12, ...
                      sprintf('%s scaling moment %d', name, n));
        end
      end
      if strcmp(families{f, 1}, 'symmlet')
        % The same magnitude response as the extremal-phase filter: only the
        % choice among the roots differs.
        d = tfmex_filter('daubechies', m);
        expect_near(conv(h, fliplr(h)), conv(d, fliplr(d)), 1e-14, [name ' autocorrelation']);
        if max(abs(h - d)) < 1e-3
          error('%s is the Daubechies filter', name);
        end
      end
      if ~tfmex_checkfilter(h)
        error('tfmex_checkfilter refuses %s', name);
      end
      expect_near(CircJoin(CircSplit(X, 2, h), 2, h), X, 1e-12, [name ' CircJoin(CircSplit)']);
      expect_near(PacketJoin(PacketSplit(X(:, 1), 3, h), h), 4 * X(:, 1)', 1e-12, ...
                  [name ' PacketJoin(PacketSplit)']);
    end
  end

  % The stored digits are the exact values: Daubechies 4 in closed form.
  s3 = sqrt(3);
  expect_near(tfmex_filter('daubechies', 4), [1 + s3, 3 + s3, 3 - s3, 1 - s3] / (4 * sqrt(2)), ...
              4e-16, 'Daubechies 4 closed form');
  % Haar's taps are the double nearest 1/sqrt(2), as PyWavelets' are (one
  % unit in the last place above [1 1] / sqrt(2) in double arithmetic).
  expect_near(tfmex_filter('HAAR'), sqrt([0.5 0.5]), 0, 'haar, any case');
  expect_near(tfmex_filter('daubechies', 2), tfmex_filter('haar'), 0, 'daubechies 2 is haar');

  % Short names, PyWavelets': dbN and coifN are the family's filters, sym2
  % and sym3 db2 and db3, and symN the family's symmlet, its reverse, or
  % another choice among the same roots (the same autocorrelation).
  for N = 1:20
    expect_near(tfmex_filter(sprintf('db%d', N)), tfmex_filter('daubechies', 2 * N), 0, ...
                sprintf('db%d', N));
  end
  for K = 1:5
    expect_near(tfmex_filter(sprintf('COIF%d', K)), tfmex_filter('coiflet', 6 * K), 0, ...
                sprintf('coif%d', K));
  end
  expect_near(tfmex_filter('sym2'), tfmex_filter('db2'), 0, 'sym2 is db2');
  expect_near(tfmex_filter('Sym3'), tfmex_filter('daubechies', 6), 0, 'sym3 is db3');
  for N = 4:20
    name = sprintf('sym%d', N);
    h = tfmex_filter(name);
    s = tfmex_filter('symmlet', 2 * N);
    if any(N == [4 8 9 13 17])
      expect_near(h, s, 0, [name ' is the family''s']);
    elseif any(N == [5 6 7 10 12 16])
      expect_near(h, fliplr(s), 0, [name ' is the family''s reversed']);
    else
      if min(max(abs(h - s)), max(abs(h - fliplr(s)))) < 1e-3
        error('%s is the family''s symmlet or its reverse', name);
      end
      expect_near(conv(h, fliplr(h)), conv(s, fliplr(s)), 1e-14, [name ' autocorrelation']);
      if ~tfmex_checkfilter(h)
        error('tfmex_checkfilter refuses %s', name);
      end
    end
  end

  % Dual pairs: biorthogonal about their centres, symmetric, odd lengths,
  % the zeros at pi that give the vanishing moments, reconstruction.
  pairs = {{'spline', 2, 2}, {'spline', 2, 4}, {'spline', 2, 6}, {'spline', 2, 8}, ...
           {'spline', 4, 2}, {'spline', 4, 4}, {'spline', 4, 8}, {'spline', 6, 6}, ...
           {'spline', 8, 8}, {'cdf97'}};
  for c = 1:numel(pairs)
    args = pairs{c};
    name = strjoin(cellfun(@num2str, args, 'UniformOutput', false), ' ');
    [ha, hs] = tfmex_dualfilter(args{:});
    if numel(args) == 3
      [p, q] = deal(args{2}, args{3});
      expect_near([numel(ha) numel(hs)], [p + 2 * q - 1, p + 1], 0, [name ' lengths']);
    else
      [p, q] = deal(4, 4);
      expect_near([numel(ha) numel(hs)], [9 7], 0, [name ' lengths']);
    end
    expect_near([sum(ha) sum(hs)], sqrt(2) * [1 1], 1e-14, [name ' sums']);
    expect_near(ha, fliplr(ha), 0, [name ' analysis symmetric']);
    expect_near(hs, fliplr(hs), 0, [name ' synthesis symmetric']);
    % Biorthogonality: ha against the even translates of hs, centres aligned.
    pad = (numel(ha) - numel(hs)) / 2;
    s = [zeros(1, numel(ha)), zeros(1, pad), hs, zeros(1, pad), zeros(1, numel(ha))];
    for j = -floor(numel(ha) / 2):floor(numel(ha) / 2)
      expect_near(sum(ha .* s(numel(ha) + 1 + 2 * j : 2 * numel(ha) + 2 * j)), double(j == 0), ...
                  1e-14, sprintf('%s biorthogonal, translate %d', name, 2 * j));
    end
    % Zeros at pi: alternating moments vanish below Q (ha) and P (hs).
    checks = {ha, q, 'ha'; hs, p, 'hs'};
    for r = 1:2
      [h, order, which] = checks{r, :};
      k = (0:numel(h) - 1) - (numel(h) - 1) / 2;
      for n = 0:order - 1
        terms = (-1) .^ k .* k .^ n .* h;
        expect_near(sum(terms) / sum(abs(terms)), 0, 1e-13, sprintf('%s %s moment %d', name, which, n));
      end
    end
    if ~tfmex_checkfilter(ha, 'dual', hs)
      error('tfmex_checkfilter refuses the pair %s', name);
    end
    for L = [0 3]
      expect_near(DualJoin(DualSplit(X, L, ha, hs), L, ha, hs), X, 1e-12, ...
                  sprintf('%s DualJoin(DualSplit) L=%d', name, L));
    end
  end
  [ha, hs] = tfmex_dualfilter('spline', 2, 2);
  expect_near([ha, hs], sqrt(2) * [[-1 2 6 2 -1] / 8, [1 2 1] / 4], 0, '5/3 pair exact');

  % Unknown families and lengths.
  bad = {@() tfmex_filter('daubechies', 5), 'no daubechies filter of 5 taps'
         @() tfmex_filter('daubechies', 42), 'no daubechies filter of 42 taps'
         @() tfmex_filter('symmlet', 6), 'no symmlet filter of 6 taps'
         @() tfmex_filter('coiflet', 8), 'no coiflet filter of 8 taps'
         @() tfmex_filter('haar', 4), 'the Haar filter has 2 taps'
         @() tfmex_filter('meyer', 8), 'unknown family ''meyer'''
         @() tfmex_filter('daubechies'), 'give the number of taps'
         @() tfmex_filter('sym1'), ['unknown filter ''sym1''; names: haar, db1 .. db20, ' ...
                                    'sym2 .. sym20, coif1 .. coif5']
         @() tfmex_filter(''), 'unknown filter '''''
         @() tfmex_filter('', 10), 'unknown family '''''
         @() tfmex_dualfilter('spline', 3, 3), 'even orders P, Q in 2 .. 8'
         @() tfmex_dualfilter('spline', 2), 'even orders P, Q in 2 .. 8'
         @() tfmex_dualfilter('cdf97', 4), 'takes no orders'
         @() tfmex_dualfilter('legall'), 'unknown family ''legall'''};
  for b = 1:size(bad, 1)
    expect_filter_failure(bad{b, 1}, bad{b, 2});
  end

  % tfmex_checkfilter: warnings (made errors here) for orthonormal filters.
  old = warning('error', 'tfmex:filter');
  restore = onCleanup(@() warning(old));
  expect_filter_failure(@() tfmex_checkfilter([1 1] / 2), 'has norm 0.70710678118654757, not 1');
  expect_filter_failure(@() tfmex_checkfilter([]), 'empty or not a real array');
  expect_filter_failure(@() tfmex_checkfilter([1 1i] / sqrt(2)), 'empty or not a real array');
  expect_filter_failure(@() tfmex_checkfilter([NaN 1]), 'NaN or Inf');
  expect_filter_failure(@() tfmex_checkfilter([1 1 1 1] / 2), 'not orthogonal to its translate by 2');
  h8 = tfmex_filter('daubechies', 8);
  expect_filter_failure(@() tfmex_checkfilter(h8 + [0 0 0 0 0 0 0 1e-7]), 'has norm');
  expect_filter_failure(@() tfmex_checkfilter(h8([1:5 8 7 6])), 'not orthogonal');
  if ~tfmex_checkfilter(h8') || ~tfmex_checkfilter(reshape(tfmex_filter('coiflet', 12), 3, 4))
    error('tfmex_checkfilter takes the values in storage order, whatever the shape');
  end
  % ... and errors for dual filters; a pair that is not biorthogonal warns.
  expect_filter_failure(@() tfmex_checkfilter([1 1] / sqrt(2), 'dual'), 'has even length 2');
  expect_filter_failure(@() tfmex_checkfilter([1 2 2], 'dual'), 'not symmetric');
  expect_filter_failure(@() tfmex_checkfilter([], 'dual'), 'real and finite, not empty');
  expect_filter_failure(@() tfmex_checkfilter([1 2 1], 'orthonormal'), 'must be ''dual''');
  expect_filter_failure(@() tfmex_checkfilter(ha, 'dual', [1 2]), 'DQMF has even length 2');
  expect_filter_failure(@() tfmex_checkfilter(hs, 'dual', hs), 'not a biorthogonal pair');
  warning(old);
  if ~tfmex_checkfilter(ha, 'dual') || ~tfmex_checkfilter(hs', 'dual')
    error('tfmex_checkfilter refuses a single dual filter');
  end
end

function expect_filter_failure(f, text)
  % f() must fail with a message containing text, and identifier tfmex:filter
  % (tfmex_checkfilter's warnings, made errors) or tfmex:<function>:<reason>
  % of the filter functions.
  try
    f();
  catch err
    known = strcmp(err.identifier, 'tfmex:filter') || ...
            ~isempty(regexp(err.identifier, '^tfmex:(filter|dualfilter|checkfilter):\w+$', 'once'));
    if ~known || isempty(strfind(err.message, text))
      error('expected tfmex:... "...%s...", got %s "%s"', text, err.identifier, err.message);
    end
    return;
  end
  error('expected a failure "...%s...", but the call succeeded', text);
end
