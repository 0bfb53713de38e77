function [blocks, kind, depth] = tfmex_check_basis(fn, basis, n)
  % A basis as tfmex_bestbasis returns it, a struct with the K x 2 [d k]
  % rows in .blocks, its table's kind in .kind ('packet', 'bell' or '')
  % and depth in .depth, or the K x 2 rows alone (kind '' and depth [],
  % unknown). The blocks must lie in a table of n = 2^J rows and cover its
  % rows once, in order. Identifiers tfmex:FN:basis and tfmex:FN:cover.
  kind = '';
  depth = [];
  if isstruct(basis)
    if ~isscalar(basis) || ~isfield(basis, 'blocks')
      tfmex_fail(fn, 'basis', 'BASIS must be a basis from tfmex_bestbasis or its K x 2 [d k] rows');
    end
    if isfield(basis, 'kind') && ~isempty(basis.kind)
      kind = basis.kind;
      tfmex_check_choice(fn, 'BASIS.kind', kind, {'packet', 'bell'});
      kind = lower(kind);
    end
    if isfield(basis, 'depth') && ~isempty(basis.depth)
      depth = tfmex_check_number(fn, 'BASIS.depth', basis.depth, 0, Inf, 'integer');
    end
    blocks = basis.blocks;
  else
    blocks = basis;
  end
  if ~(isnumeric(blocks) && isreal(blocks) && ndims(blocks) == 2 && size(blocks, 2) == 2 && ...
       size(blocks, 1) >= 1 && all(isfinite(blocks(:))) && all(blocks(:) == round(blocks(:))) && ...
       all(blocks(:) >= 0))
    tfmex_fail(fn, 'basis', 'BASIS must be a K x 2 matrix of [d k] rows of integers >= 0, got %s', ...
               tfmex_describe(blocks));
  end
  blocks = double(blocks);
  d = blocks(:, 1);
  k = blocks(:, 2);
  J = round(log2(n));
  if any(d > J) || any(k >= 2 .^ d)
    tfmex_fail(fn, 'basis', 'BASIS names a block outside a table of %d rows', n);
  end
  if ~isempty(depth) && any(d > depth)
    tfmex_fail(fn, 'basis', 'BASIS names a column beyond its depth %d', depth);
  end
  % The blocks, in order, must tile rows 0 .. n-1 without gap or overlap.
  len = n ./ 2 .^ d;
  first = k .* len;
  if first(1) ~= 0 || any(first(2:end) ~= first(1:end-1) + len(1:end-1)) || ...
     first(end) + len(end) ~= n
    tfmex_fail(fn, 'cover', 'the blocks of BASIS must cover the %d rows once, in order', n);
  end
end
