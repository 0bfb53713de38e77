#!/usr/bin/env bash
# A short tour on the embedded host: transform a signal with the 4-tap
# Daubechies filter, look at the coefficients, rebuild the signal and measure
# the reconstruction error.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
tfmex="$root/build/bin/tfmex"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

d4="[0.48296291314453414 0.83651630373780794 0.22414386804201339 -0.12940952255126037]"

# A smooth ramp with a jump in the middle: 16 samples.
awk 'BEGIN { for (i = 0; i < 16; i++) printf "%.17g\n", (i < 8 ? i / 8 : 2 - i / 16) }' > "$work/x.txt"

echo "Signal (16 samples, a ramp with a jump):"
tr '\n' ' ' < "$work/x.txt"; echo; echo

echo "CircSplit(x, 1, D4): 2 coarse coefficients, then details of levels 1, 2 and 3"
"$tfmex" call --out "$work/w.txt" CircSplit "$work/x.txt" 1 "$d4"
awk '{ printf "  %2d  % .6f\n", NR - 1, $1 }' "$work/w.txt"
echo "  (the smooth parts leave small details; the jump leaves large ones)"
echo

echo "CircJoin(w, 1, D4) rebuilds the signal:"
"$tfmex" call --out "$work/y.txt" CircJoin "$work/w.txt" 1 "$d4"
tr '\n' ' ' < "$work/y.txt"; echo
"$tfmex" compare "$work/x.txt" "$work/y.txt"
echo

echo "A wrong call gets the plug-in's own message:"
"$tfmex" call CircSplit "[1 2 3]" 0 "$d4" || true
