function expect_near(got, want, tol, what)
  % got and want agree in shape and to within tol in every value.
  if ~isequal(size(got), size(want))
    error('%s: size %s, expected %s', what, mat2str(size(got)), mat2str(size(want)));
  end
  err = max(abs(got(:) - want(:)));
  if ~isempty(err) && ~(err <= tol)
    error('%s: off by %g (tolerance %g)', what, err, tol);
  end
end
