function h = tfmex_check_filter(fn, name, h)
  % The orthonormal low-pass filter argument of a toolbox function: a short
  % name (haar, dbN, symN, coifN, as tfmex_filter(NAME) gives them) or the
  % values, real, finite and not empty. The values are returned as a double
  % row and checked with tfmex_checkfilter, which warns (identifier
  % tfmex:filter) when they do not make an orthonormal transform.
  % Identifier tfmex:FN:filter.
  if ischar(h)
    try
      h = tfmex_filter(h);
    catch err
      tfmex_fail(fn, 'filter', '%s must be a filter or a filter name; %s', name, ...
                 regexprep(err.message, '^tfmex_filter: ', ''));
    end
    return;
  end
  if ~isnumeric(h) || ~isreal(h) || isempty(h) || ~all(isfinite(h(:)))
    tfmex_fail(fn, 'filter', ['%s must be the values of an orthonormal low-pass filter ' ...
               '(real, finite, not empty) or a name such as ''db4'', got %s'], name, tfmex_describe(h));
  end
  h = double(h(:)');
  tfmex_checkfilter(h);
end
