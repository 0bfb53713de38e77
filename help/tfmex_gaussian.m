function z = tfmex_gaussian(n, seed)
% TFMEX_GAUSSIAN  Reproducible standard normal values, the same on every machine.
%   Z = tfmex_gaussian(N, SEED) returns N standard normal values as a column,
%   drawn from the 64-bit Mersenne twister (the generator of C++'s
%   std::mt19937_64, seeded with SEED) through the Box-Muller formula: each
%   pair of draws u1, u2, uniform in (0, 1] from the top 53 bits of a word,
%   gives sqrt(-2 ln u1) * [cos(2 pi u2); sin(2 pi u2)]. These are the values
%   the demo program (build/bin/tfmex-demo) adds as noise, bit for bit, so
%   tfmex_demo in Octave or MATLAB reproduces its numbers. Unlike randn, the
%   values do not depend on the host or its version.
%
%   N     number of values, N >= 0.
%   SEED  an integer 0 <= SEED < 2^53 (or a uint64 of any value).
%   Both are numbers of any numeric class; text, logical values, NaN, Inf
%   and fractions are refused (identifiers tfmex:gaussian:<reason>).
%
%   Example:
%     z = tfmex_gaussian(4, 2048);   % z(1) = -1.8111503589622437
%
%   See also tfmex_denoise, tfmex_demo.
  if nargin ~= 2
    tfmex_fail('gaussian', 'nargin', 'call as tfmex_gaussian(N, SEED), N the number of values and SEED an integer');
  end
  % Beyond 2^40 values the column would not fit in memory anyway.
  n = tfmex_check_number('gaussian', 'N', n, 0, 2^40 - 1, 'integer');
  if isa(seed, 'uint64') && isscalar(seed)
    seed = uint64(seed);
  else
    seed = uint64(tfmex_check_number('gaussian', 'SEED', seed, 0, 2^53 - 1, 'integer'));
  end
  words = mt19937_64(seed, 2 * ceil(n / 2));
  % Uniform in (0, 1], so that the logarithm is finite.
  u = (double(bitshift(words, -11)) + 1) * 2^-53;
  r = sqrt(-2 * log(u(1:2:end)));
  a = 2 * pi * u(2:2:end);
  z = zeros(numel(words), 1);
  z(1:2:end) = r .* cos(a);
  z(2:2:end) = r .* sin(a);
  z = z(1:n);
end

function out = mt19937_64(seed, count)
  % The first COUNT words of the 64-bit Mersenne twister, in the order of
  % the C++ standard: 312 words of state, seeded by the recurrence
  % s(i) = 6364136223846793005 * (s(i-1) xor (s(i-1) >> 62)) + i, renewed
  % in one pass every 312 words and tempered on output.
  N = 312; M = 156;
  A = hex64('B5026F5A', 'A96619E9');
  upper = bitshift(hex64('FFFFFFFF', 'FFFFFFFF'), 31);
  lower = hex64('00000000', '7FFFFFFF');
  mt = zeros(N, 1, 'uint64');
  mt(1) = seed;
  f = limbs(hex64('5851F42D', '4C957F2D'));
  for i = 1:N-1
    prev = mt(i);
    mt(i+1) = times_mod64(f, limbs(bitxor(prev, bitshift(prev, -62))), i);
  end
  out = zeros(count, 1, 'uint64');
  done = 0;
  while done < count
    % The renewal in two halves: the first reads only old words, the second
    % reads the words the first has just renewed (and, last, word 1).
    x = bitor(bitand(mt(1:M), upper), bitand(mt(2:M+1), lower));
    mt(1:M) = bitxor(mt(M+1:N), twist(x, A));
    x = bitor(bitand(mt(M+1:N), upper), bitand([mt(M+2:N); mt(1)], lower));
    mt(M+1:N) = bitxor(mt(1:M), twist(x, A));
    take = min(N, count - done);
    y = mt(1:take);
    y = bitxor(y, bitand(bitshift(y, -29), hex64('55555555', '55555555')));
    y = bitxor(y, bitand(bitshift(y, 17), hex64('71D67FFF', 'EDA60000')));
    y = bitxor(y, bitand(bitshift(y, 37), hex64('FFF7EEE0', '00000000')));
    y = bitxor(y, bitshift(y, -43));
    out(done+1:done+take) = y;
    done = done + take;
  end
end

function xa = twist(x, A)
  xa = bitshift(x, -1);
  odd = bitand(x, uint64(1)) == 1;
  xa(odd) = bitxor(xa(odd), A);
end

function v = hex64(hi, lo)
  v = bitor(bitshift(uint64(hex2dec(hi)), 32), uint64(hex2dec(lo)));
end

function l = limbs(v)
  % The four 16-bit limbs of a word, least significant first, as doubles.
  l = double(bitand(bitshift(v, -[0 16 32 48]), uint64(65535)));
end

function v = times_mod64(a, b, addend)
  % a * b + addend modulo 2^64 from 16-bit limbs: every partial sum stays
  % below 2^53, so the double arithmetic is exact.
  p = [a(1)*b(1) + addend, ...
       a(1)*b(2) + a(2)*b(1), ...
       a(1)*b(3) + a(2)*b(2) + a(3)*b(1), ...
       a(1)*b(4) + a(2)*b(3) + a(3)*b(2) + a(4)*b(1)];
  v = uint64(0);
  carry = 0;
  for k = 1:4
    s = p(k) + carry;
    carry = floor(s / 65536);
    v = bitor(v, bitshift(uint64(s - carry * 65536), 16 * (k - 1)));
  end
end
