function tfmex_fail(fn, reason, fmt, varargin)
  % Throws the toolbox's error for function FN ('denoise' for tfmex_denoise):
  % identifier tfmex:FN:REASON, message "tfmex_FN: " followed by FMT
  % formatted with the further arguments.
  error(sprintf('tfmex:%s:%s', fn, reason), ['tfmex_' fn ': ' fmt], varargin{:});
end
