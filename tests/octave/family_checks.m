function called = family_checks(folder)
  % Calls the plug-ins of every family that is built and checks each
  % family's defining property (reconstruction, or a worked example).
  % Every plug-in called must come from `folder`. Returns the names called.
  d4 = [0.4829629131445341 0.8365163037378079 0.2241438680420134 -0.1294095225512604];
  qmf = sqrt(2) * [-1 2 6 2 -1] / 8;
  dqmf = sqrt(2) * [1 2 1] / 4;
  randn('state', 7);
  x = randn(1, 32);
  X = randn(32, 3);
  rows = {
    {'HalveCoarse', 'HalveDetail', 'GrowCoarse', 'GrowDetail'}, ...
        @() expect_near(GrowCoarse(HalveCoarse(x, d4), d4) + GrowDetail(HalveDetail(x, d4), d4), x, 1e-12, 'one stage')
    {'CircSplit', 'CircJoin'}, @() expect_near(CircJoin(CircSplit(X, 2, d4), 2, d4), X, 1e-12, 'CircJoin(CircSplit)')
    {'CircSplit2', 'CircJoin2'}, @() expect_near(CircJoin2(CircSplit2(X(1:16, 1) * x(1:16), 1, d4), 1, d4), X(1:16, 1) * x(1:16), 1e-12, 'CircJoin2(CircSplit2)')
    {'ShiftSplit', 'ShiftJoin'}, @() expect_near(ShiftJoin(ShiftSplit(X(:, 1), 2, d4), d4), X(:, 1)', 1e-12, 'ShiftJoin(ShiftSplit)')
    {'PacketSplit', 'PacketJoin'}, @() expect_near(PacketJoin(PacketSplit(x, 3, d4), d4), 4 * x, 1e-12, 'PacketJoin(PacketSplit)')
    {'DualSplit', 'DualJoin'}, @() expect_near(DualJoin(DualSplit(X, 2, qmf, dqmf), 2, qmf, dqmf), X, 1e-12, 'DualJoin(DualSplit)')
    {'BlockMeanSplit', 'BlockMeanJoin'}, @() expect_near(BlockMeanJoin(BlockMeanSplit(x(1:27), 1, 2), 1, 2), x(1:27), 1e-12, 'BlockMeanJoin(BlockMeanSplit)')
    {'CenterPredict'}, @() expect_near(CenterPredict([1 2], 0), [1 1 1 2 2 2], 0, 'CenterPredict')
    {'CenterJoin'}, @() expect_near(CenterJoin([sqrt(3) * [1 1 1], zeros(1, 15)], 1, 2), ones(1, 9), 1e-12, 'CenterJoin')
    {'TriplePredict'}, @() expect_near(TriplePredict([1 2 3], 2), (2:10) / 3, 1e-14, 'TriplePredict')
    {'TrigC2', 'TrigC3'}, @() expect_near(TrigC3(TrigC2(X(:, 1))), X(:, 1), 1e-12, 'TrigC3(TrigC2)')
    {'TrigS2', 'TrigS3'}, @() expect_near(TrigS3(TrigS2(x)), x, 1e-12, 'TrigS3(TrigS2)')
    {'TrigC4'}, @() expect_near(TrigC4(TrigC4(x)), x, 1e-12, 'TrigC4(TrigC4)')
    {'BellSplit', 'BellJoin'}, @() expect_near(BellJoin(BellSplit(x, 2, 0)), 3 * x, 1e-12, 'BellJoin(BellSplit)')
  };
  called = {};
  for r = 1:size(rows, 1)
    names = rows{r, 1};
    present = cellfun(@(n) exist(n) == 3, names); %#ok<EXIST>
    if ~all(present)
      continue;
    end
    for k = 1:numel(names)
      [where, ~] = fileparts(which(names{k}));
      if ~strcmp(where, folder)
        error('%s comes from %s, not from %s', names{k}, where, folder);
      end
    end
    rows{r, 2}();
    called = [called, names]; %#ok<AGROW>
  end
end
