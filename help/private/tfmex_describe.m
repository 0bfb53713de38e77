function s = tfmex_describe(v)
  % A short description of a value for a message: "a char '4'", "a 1 x 3
  % double", "NaN", "1.25".
  if ischar(v) && (isrow(v) || isempty(v))
    s = sprintf('the text ''%s''', v);
  elseif (isnumeric(v) || islogical(v)) && isscalar(v) && isreal(v)
    if islogical(v)
      s = sprintf('the logical %d', v);
    elseif isinteger(v)
      s = sprintf('the %s %s', class(v), num2str(v));
    else
      s = num2str(double(v), 17);
    end
  else
    dims = sprintf('%d x ', size(v));
    what = class(v);
    if isnumeric(v) && ~isreal(v)
      what = ['complex ' what];
    end
    s = sprintf('a %s %s', dims(1:end-3), what);
  end
end
