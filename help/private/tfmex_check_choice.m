function k = tfmex_check_choice(fn, name, v, allowed)
  % The index in ALLOWED of the text V (any case); anything else is refused
  % with identifier tfmex:FN:choice, the message listing the choices.
  k = [];
  if ischar(v) && (isrow(v) || isempty(v))
    k = find(strcmpi(v, allowed), 1);
  end
  if isempty(k)
    tfmex_fail(fn, 'choice', '%s must be one of ''%s'', got %s', name, ...
               strjoin(allowed, ''', '''), tfmex_describe(v));
  end
end
