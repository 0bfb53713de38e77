function expect_id(f, id, text)
  % f() must fail with identifier id, and (when given) a message containing
  % text; every toolbox message starts with the function's name.
  try
    f();
  catch err
    if ~strcmp(err.identifier, id)
      error('expected identifier %s, got "%s": %s', id, err.identifier, err.message);
    end
    fn = regexp(id, '^tfmex:(\w+):', 'tokens', 'once');
    if ~strncmp(err.message, ['tfmex_' fn{1} ': '], numel(fn{1}) + 8)
      error('%s: the message does not name tfmex_%s: %s', id, fn{1}, err.message);
    end
    if nargin > 2 && isempty(strfind(err.message, text))
      error('%s: expected a message with "%s", got "%s"', id, text, err.message);
    end
    return;
  end
  error('expected a refusal %s, but the call succeeded', id);
end
