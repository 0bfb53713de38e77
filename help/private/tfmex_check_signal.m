function x = tfmex_check_signal(fn, name, x, what)
  % A non-empty real array of any numeric class, every value finite,
  % returned as doubles (integer classes and single are converted). NaN and
  % Inf are refused rather than spread through a transform. WHAT describes
  % the expected array in the messages ('a signal', 'a table').
  % Identifiers tfmex:FN:class, :empty and :nonfinite.
  if nargin < 4
    what = 'a real array';
  end
  if ~isnumeric(x) || ~isreal(x) || ndims(x) ~= 2
    tfmex_fail(fn, 'class', '%s must be %s of real numbers, got %s', name, what, tfmex_describe(x));
  end
  if isempty(x)
    tfmex_fail(fn, 'empty', '%s must be %s, got an empty array', name, what);
  end
  x = full(double(x));
  bad = find(~isfinite(x), 1);
  if ~isempty(bad)
    tfmex_fail(fn, 'nonfinite', '%s must hold finite values; value %d is %s', name, bad, num2str(x(bad)));
  end
end
