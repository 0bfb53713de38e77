function [basis, coef, cost] = tfmex_bestbasis(table, varargin)
% TFMEX_BESTBASIS  Best basis of a wavelet packet or cosine packet table.
%   [BASIS, COEF, COST] = tfmex_bestbasis(T) chooses, among all bases the
%   table T holds, the one of least entropy: a block is kept when it costs
%   no more than the best bases of its two halves one column to the right,
%   searched from the last column back to the first.
%   tfmex_bestbasis(T, 'lp', P) uses the cost sum |c|^P (0 < P, default 1);
%   tfmex_bestbasis(T, 'threshold', S) the count of coefficients with
%   |c| > S (default 0); tfmex_bestbasis(T, 'entropy') is the default,
%   -sum v ln v over v = c^2 / E > 0, E the energy of the table's first
%   column.
%
%   T  an n x (D+1) table from PacketSplit(X, D, H) or BellSplit(X, D, 0):
%      column d+1 holds 2^d blocks of n/2^d rows. In either table the two
%      blocks 2k and 2k+1 of column d+2 fill the rows of block k of column
%      d+1 (for PacketSplit they are its two packets, for BellSplit its two
%      halves in time).
%
%   BASIS  a struct: BASIS.blocks, a K x 2 matrix, one row [d k] per block
%          of the basis: column d+1 of T, block k (0-based: rows
%          k*n/2^d+1 .. (k+1)*n/2^d). The rows run in the order of the
%          table's rows, so the blocks cover 1..n once, in order. For a
%          packet table block k of column d+1 is the k-th of 2^d frequency
%          bands; for a cosine packet table, the k-th of 2^d time segments.
%          BASIS.depth is D, the table's depth, and BASIS.kind the kind of
%          table given by tfmex_bestbasis(..., 'kind', KIND), 'packet' or
%          'bell' ('' when not given): tfmex_basisjoin and
%          tfmex_plot_tiling refuse to rebuild or draw the basis with
%          another depth or kind.
%   COEF   the n coefficients of the basis, block after block (a column).
%   COST   the cost of the basis.
%
%   T must be finite (a NaN or Inf is refused: it has no cost), P and S
%   numbers of any numeric class. A refusal names the argument, with the
%   identifier tfmex:bestbasis:<reason> (class, size, nonfinite, range,
%   choice, nargin).
%
%   tfmex_basisjoin(BASIS, COEF, ...) rebuilds the signal from them. In the
%   example, x is one cosine packet of block 1 of column 3: the basis is
%   column 3, and one coefficient holds all the energy.
%
%   The C++ library's tfmex::best_basis (tfmex/analysis.hpp) finds the same
%   basis, coefficients and cost.
%
%   Example:
%     T = zeros(256, 3); T(64 + 41, 3) = 1;
%     x = BellJoin(T);
%     [basis, coef] = tfmex_bestbasis(BellSplit(x, 2, 0), 'kind', 'bell');
%     b = basis.blocks               % [2 0; 2 1; 2 2; 2 3]
%     y = tfmex_basisjoin(basis, coef, 'bell');   % y = x
%
%   See also tfmex_basisjoin, tfmex_plot_tiling, PacketSplit, BellSplit.
  if nargin < 1
    tfmex_fail('bestbasis', 'nargin', 'call as tfmex_bestbasis(T), (T, COST) or (T, COST, PARAM), T a table');
  end
  if isnumeric(table) && ~isreal(table)
    tfmex_fail('bestbasis', 'class', 'T must be a real n x (D+1) table, n = 2^J, 0 <= D <= J, got complex values');
  end
  table = tfmex_check_signal('bestbasis', 'T', table, 'a real n x (D+1) table, n = 2^J, 0 <= D <= J,');
  [n, cols] = size(table);
  J = round(log2(n));
  if ~(2^J == n && cols <= J + 1)
    tfmex_fail('bestbasis', 'size', 'T must be a real n x (D+1) table, n = 2^J, 0 <= D <= J, got %d x %d', n, cols);
  end
  D = cols - 1;
  % COST, its parameter, then the option 'kind'.
  kind = '';
  args = varargin;
  if numel(args) >= 2 && ischar(args{end-1}) && strcmpi(args{end-1}, 'kind')
    kind = lower(args{end});
    tfmex_check_choice('bestbasis', '''kind''', kind, {'packet', 'bell'});
    args = args(1:end-2);
  end
  if numel(args) > 2
    tfmex_fail('bestbasis', 'nargin', 'call as tfmex_bestbasis(T, COST, PARAM, ''kind'', KIND)');
  end
  costname = 'entropy';
  if ~isempty(args)
    costname = args{1};
  end
  cost_kind = tfmex_check_choice('bestbasis', 'the cost', costname, {'entropy', 'lp', 'threshold'});
  if cost_kind == 1 && numel(args) > 1
    tfmex_fail('bestbasis', 'nargin', 'the cost ''entropy'' takes no parameter');
  end
  switch cost_kind
    case 1
      c1 = table(:, 1);
      total = sum(c1 .* c1);
      if total == 0
        total = 1;
      end
      block_cost = @(B) entropy(B, total);
    case 2
      param = 1;
      if numel(args) > 1
        param = tfmex_check_number('bestbasis', 'the exponent P', args{2}, 0, Inf, 'positive');
      end
      block_cost = @(B) sum(abs(B) .^ param, 1);
    case 3
      param = 0;
      if numel(args) > 1
        param = tfmex_check_number('bestbasis', 'the threshold S', args{2}, 0, Inf);
      end
      block_cost = @(B) sum(abs(B) > param, 1);
  end

  % best{d+1}(k+1): least cost of a basis of block k of column d+1;
  % keep{d+1}(k+1): is that basis the block itself?
  best = cell(1, D + 1);
  keep = cell(1, D + 1);
  for d = D:-1:0
    own = block_cost(reshape(table(:, d+1), n / 2^d, 2^d));
    if d == D
      keep{d+1} = true(1, 2^d);
      best{d+1} = own;
    else
      split = best{d+2}(1:2:end) + best{d+2}(2:2:end);
      keep{d+1} = own <= split;
      best{d+1} = split;
      best{d+1}(keep{d+1}) = own(keep{d+1});
    end
  end
  cost = best{1}(1);

  % Walk down from the root, depth first, low half before high half.
  basis = zeros(0, 2);
  stack = [0 0];
  while ~isempty(stack)
    node = stack(end, :);
    stack(end, :) = [];
    if keep{node(1)+1}(node(2)+1)
      basis(end+1, :) = node; %#ok<AGROW>
    else
      stack = [stack; node(1)+1, 2*node(2)+1; node(1)+1, 2*node(2)]; %#ok<AGROW>
    end
  end
  blocks = basis;
  coef = zeros(n, 1);
  at = 0;
  for b = 1:size(basis, 1)
    len = n / 2^basis(b, 1);
    coef(at+1:at+len) = table(basis(b, 2)*len+1:(basis(b, 2)+1)*len, basis(b, 1)+1);
    at = at + len;
  end
  basis = struct('blocks', blocks, 'kind', kind, 'depth', D);
end

function c = entropy(B, total)
  % -sum v ln v over the blocks' v = c^2 / total > 0, one cost per column.
  v = B .* B / total;
  t = v .* log(v);
  t(v == 0) = 0;
  c = -sum(t, 1);
end
