function v = tfmex_check_number(fn, name, v, lo, hi, what)
  % One real, finite number of any numeric class (integer classes and
  % single are converted to double), lo <= v <= hi; with WHAT 'integer' it
  % must also be a whole number, and with 'positive' it must exceed lo.
  % Text, logical values and anything else are refused; identifiers
  % tfmex:FN:class, :size, :nonfinite, :integer and :range.
  if nargin < 6
    what = '';
  end
  integer = strcmp(what, 'integer');
  if integer
    expected = 'an integer';
  else
    expected = 'a number';
  end
  if lo == -Inf && hi == Inf
    range = '';
  elseif hi == Inf && strcmp(what, 'positive')
    range = sprintf(' > %s', num2str(lo));
  elseif hi == Inf
    range = sprintf(' >= %s', num2str(lo));
  else
    range = sprintf(', %s <= %s %s', num2str(lo), name, upper_bound(hi));
  end
  if ~isnumeric(v) || ~isreal(v) || issparse(v)
    tfmex_fail(fn, 'class', '%s must be %s%s, got %s', name, expected, range, tfmex_describe(v));
  end
  if ~isscalar(v)
    tfmex_fail(fn, 'size', '%s must be %s%s (a scalar), got %s', name, expected, range, tfmex_describe(v));
  end
  if isinteger(v) && ~isa(v, 'uint64') && ~isa(v, 'int64')
    v = double(v);
  elseif ~isinteger(v)
    v = double(v);
    if ~isfinite(v)
      tfmex_fail(fn, 'nonfinite', '%s must be %s%s, got %s', name, expected, range, tfmex_describe(v));
    end
  end
  if integer && double(v) ~= round(double(v))
    tfmex_fail(fn, 'integer', '%s must be %s%s, got %s', name, expected, range, tfmex_describe(v));
  end
  if isinteger(v)
    % 64-bit integers: compared exactly, then converted when in range.
    bad = v < lo || v > hi;
  else
    bad = v < lo || v > hi || (strcmp(what, 'positive') && v <= lo);
  end
  if bad
    tfmex_fail(fn, 'range', '%s must be %s%s, got %s', name, expected, range, tfmex_describe(v));
  end
  if isinteger(v)
    v = double(v);
  end
end

function s = upper_bound(hi)
  % "<= 40", or "< 2^53" for a bound one below a large power of two.
  k = log2(hi + 1);
  if hi >= 2^20 && k == round(k)
    s = sprintf('< 2^%d', k);
  else
    s = sprintf('<= %s', num2str(hi));
  end
end
