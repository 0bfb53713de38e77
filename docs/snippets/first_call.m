addpath('/path/to/tfmex/build/mex');       % after scripts/build, or scripts/demo
h = tfmex_filter('db4');                   % Daubechies, 8 taps (PyWavelets' names)
x = sin(2 * pi * (0:1023)' / 256) + ((0:1023)' > 400);
wc = CircSplit(x, 4, h);                   % 16 coarse values, then the details
noisy = x + 0.2 * tfmex_gaussian(1024, 1);
den = tfmex_denoise(noisy, h, 'method', 'ti');
help CircSplit                             % the call form, the layout, an example
