function expect_error(f, text)
  % f() must fail, and its message must end with text (Octave puts the
  % plug-in's name and a colon before a plug-in's message).
  try
    out = f(); %#ok<NASGU> (one output requested, as in an assignment)
  catch err
    msg = err.message;
    if numel(msg) < numel(text) || ~strcmp(msg(end-numel(text)+1:end), text)
      error('expected message "%s", got "%s"', text, msg);
    end
    return;
  end
  error('expected message "%s", but the call succeeded', text);
end
