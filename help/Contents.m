% tfmex: compiled wavelet and time-frequency transforms.
%
% Every plug-in takes real double matrices and returns one new matrix;
% call each with exactly one output, as in  y = TrigC2(x).
% Type  help NAME  for the call form, the arguments and the layout.
%
% Single periodized filter-bank stages.
%   HalveCoarse     - One periodized analysis stage: the low-pass half.
%   HalveDetail     - One periodized analysis stage: the high-pass half.
%   GrowCoarse      - One periodized synthesis stage from low-pass coefficients.
%   GrowDetail      - One periodized synthesis stage from high-pass coefficients.
%
% Multilevel periodized orthogonal wavelet transforms.
%   CircSplit       - Multilevel periodized orthogonal wavelet transform.
%   CircJoin        - Inverse multilevel periodized orthogonal wavelet transform.
%   CircSplit2      - Two-dimensional periodized orthogonal wavelet transform.
%   CircJoin2       - Inverse two-dimensional periodized orthogonal wavelet transform.
%
% Translation-invariant and wavelet packet tables.
%   ShiftSplit      - Translation-invariant periodized wavelet table.
%   ShiftJoin       - Inverse of the translation-invariant wavelet table.
%   PacketSplit     - Periodized wavelet packet table.
%   PacketJoin      - Sum of the syntheses of a wavelet packet table.
%
% Symmetric biorthogonal wavelet transforms.
%   DualSplit       - Multilevel biorthogonal wavelet transform, symmetric filters.
%   DualJoin        - Inverse multilevel biorthogonal wavelet transform.
%
% Interpolating triadic pyramids and refinement.
%   BlockMeanSplit  - Average-interpolating triadic pyramid transform.
%   BlockMeanJoin   - Inverse average-interpolating triadic pyramid transform.
%   CenterPredict   - Median-interpolating refinement of a sequence by three.
%   CenterJoin      - Inverse median-interpolating triadic pyramid transform.
%   TriplePredict   - Linear refinement of a sequence by three.
%
% Fast cosine and sine transforms.
%   TrigC2          - Orthonormal discrete cosine transform of type II.
%   TrigC3          - Orthonormal discrete cosine transform of type III.
%   TrigS2          - Orthonormal discrete sine transform of type II.
%   TrigS3          - Orthonormal discrete sine transform of type III.
%   TrigC4          - Orthonormal discrete cosine transform of type IV.
%
% Cosine packets.
%   BellSplit       - Cosine packet table with sine bells.
%   BellJoin        - Sum of the syntheses of a cosine packet table.
%
% Toolbox functions (M-files).
%   tfmex_checkfilter - Check a filter before a plug-in takes it.
%   tfmex_filter      - Orthonormal low-pass filter for the periodized plug-ins.
%   tfmex_dualfilter  - Symmetric biorthogonal filter pair for DualSplit.
%   tfmex_denoise     - Wavelet shrinkage of a noisy signal or square image.
%   tfmex_bestbasis   - Best basis of a wavelet packet or cosine packet table.
%   tfmex_basisjoin   - Rebuild a signal from the coefficients of one basis.
%   tfmex_plot_tiling - Draw the time-frequency tiling of a basis.
%   tfmex_plot_table  - Draw a translation-invariant or packet table as a heat map.
%   tfmex_plot_levels - Draw the coefficients of CircSplit level by level.
%   tfmex_print       - Write a figure to a PNG or SVG file, with or without a display.
%   tfmex_gaussian    - Reproducible standard normal values, the same on every machine.
%   tfmex_batch       - Apply a function to many inputs, spread over processes or machines.
%   tfmex_demo        - What the plug-ins are for, in numbers and pictures.
