function expect_refusal(f, text)
  % f() must fail with a message containing text (the toolbox functions'
  % messages carry their own name and context around it).
  try
    f();
  catch err
    if isempty(strfind(err.message, text))
      error('expected a message with "%s", got "%s"', text, err.message);
    end
    return;
  end
  error('expected a refusal with "%s", but the call succeeded', text);
end
