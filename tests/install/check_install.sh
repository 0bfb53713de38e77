#!/bin/sh
# The installed library on its own: this build installed into a fresh prefix
# (`cmake --install`), the C++ example built against that prefix with
# find_package (a new CMake project: the shared and the static library) and
# with pkg-config (a plain compiler command line), and each program's output
# compared with the build tree's own example.
#   check_install.sh BUILD_DIR SOURCE_DIR REFERENCE_PROGRAM CMAKE CXX PKG_CONFIG [CXXFLAGS]
set -eu
build=$1 source=$2 reference=$3 cmake=$4 cxx=$5 pkg_config=$6 cxxflags=${7:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
fail() { echo "FAILED: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" || {
  cat "$tmp/install.log"; fail "cmake --install"; }
for header in "$source"/include/tfmex/*.hpp; do
  [ -f "$prefix/include/tfmex/$(basename "$header")" ] || fail "$(basename "$header") not installed"
done
pc=$(find "$prefix" -name tfmex.pc)
[ -n "$pc" ] || fail "tfmex.pc not installed"
libdir=$(dirname "$(dirname "$pc")")
[ -f "$libdir/libtfmex.a" ] || fail "libtfmex.a not installed in $libdir"

want=$("$reference" --check) || fail "the build tree's example"
same() {  # program, what it was built with
  got=$("$1" --check) || fail "$2: the example's check"
  [ "$got" = "$want" ] || fail "$2: printed
$got
instead of
$want"
}
# Takes libtfmex.so from the prefix (not from the build tree), or no libtfmex.so at all.
shared_from_prefix() {
  ldd "$1" | grep -q "libtfmex\.so[.0-9]* => $libdir/libtfmex\.so" || {
    ldd "$1"; fail "$2: libtfmex.so not taken from $libdir"; }
}

# find_package(tfmex 0.1): tfmex::tfmex and tfmex::static.
"$cmake" -S "$source/examples/cpp" -B "$tmp/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$cxxflags" >"$tmp/cmake.log" 2>&1 \
  && "$cmake" --build "$tmp/cmake" -j2 >>"$tmp/cmake.log" 2>&1 \
  || { cat "$tmp/cmake.log"; fail "the example with find_package"; }
same "$tmp/cmake/denoise" "find_package, tfmex::tfmex"
shared_from_prefix "$tmp/cmake/denoise" "find_package, tfmex::tfmex"
same "$tmp/cmake/denoise-static" "find_package, tfmex::static"
! ldd "$tmp/cmake/denoise-static" | grep -q libtfmex || fail "tfmex::static: linked libtfmex.so"

# pkg-config, as the example's own comment has it (plus an rpath to the prefix).
export PKG_CONFIG_PATH="$libdir/pkgconfig"
version=$("$pkg_config" --modversion tfmex) || fail "pkg-config does not find tfmex"
case $want in "libtfmex $version"*) ;; *) fail "pkg-config says version $version" ;; esac
# shellcheck disable=SC2046,SC2086  # the flags are words
"$cxx" -std=c++17 -O2 $cxxflags "$source/examples/cpp/denoise.cpp" \
  $("$pkg_config" --cflags --libs tfmex) -Wl,-rpath,"$libdir" -o "$tmp/denoise-pc" \
  || fail "the example with pkg-config"
same "$tmp/denoise-pc" "pkg-config"
shared_from_prefix "$tmp/denoise-pc" "pkg-config"
echo "installed in a fresh prefix; the example built with find_package (shared, static) and"
echo "pkg-config prints what the build tree's does:"
echo "$want"
