#!/bin/sh
# The installed package from a host's side: cmake --install into a fresh
# prefix, a host referencing every declared function linked against it,
# examples/host built against it alone, run offscreen with its
# dialogs answered, and its outputs read back (the PDF with pdftotext, the
# metafile with libwmf's wmf2svg, the workbook's XML).
#   host_example.sh <build folder> <source folder>
set -eu
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "$*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
# Nothing installed points back into the build tree.
if grep -rqs "$build" "$prefix/lib/cmake" || readelf -d "$prefix/bin/orvelo" "$prefix"/lib/lib*.so | grep -q "$build"; then
  fail "the installed files refer to the build folder $build"
fi
readelf -d "$prefix/lib/libhalvex.so" | grep -q "SONAME.*libhalvex.so.0" || fail "libhalvex.so has no versioned SONAME"
# The installed help is the build's: the pages of the library's dialogs
# under the default help name and in the wizard's help.
diff -r "$build/bin/help" "$prefix/share/halvex/help" >/dev/null || fail "the installed help differs from the build's"
# Only the interface is exported: not the library's state nor its test doubles.
nm -DC --defined-only "$prefix/lib/libhalvex.so" | grep -E "halvex::(libraryState|ScriptedFolderDialog)" &&
  fail "libhalvex.so exports internal members"

launcher=
command -v ccache >/dev/null && launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake -S "$source/examples/host" -B "$work/host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" $launcher >/dev/null
cmake --build "$work/host" >/dev/null

# Every function an installed header declares links against the installed
# libraries: a host referencing each of them (declared/) builds.
cmake -S "$source/tests/examples/declared" -B "$work/declared" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" $launcher >/dev/null
cmake --build "$work/declared" >"$work/declared.log" 2>&1 || {
  grep -E "undefined reference|error" "$work/declared.log" | sort -u
  fail "a function declared in an installed header is not in the installed libraries"
}
"$work/declared/declared_functions" || fail "the host of every declared function does not start"

out=$work/out
mkdir -p "$out/tmp"
# The chart's workbook is made in the temporary folder: the test's own.
TMPDIR=$out/tmp OH_SETTINGS_DIR=$out/settings QT_QPA_PLATFORM=offscreen "$work/host/halvex_host" "$out" --answer \
  >"$out/log" 2>"$out/errors" || { cat "$out/log" "$out/errors"; fail "the host failed"; }
cat "$out/log"
! grep -q "QPageSetupDialog" "$out/errors" || fail "Qt warned on stderr: $(cat "$out/errors")"
pdftotext "$out/page.pdf" - | grep -q "Printed by the Halvex host" || fail "the page is not in the PDF"
wmf2svg -o "$out/clip.svg" "$out/clip.wmf" || fail "the metafile is not readable"
grep -q "<svg" "$out/clip.svg" || fail "the metafile gives no drawing"
unzip -p "$out/chart.xlsx" xl/sharedStrings.xml | grep -q "s \[cm\]" || fail "the table is not in the workbook"
unzip -l "$out/chart.xlsx" | grep -q "xl/charts/chart1.xml" || fail "the workbook holds no chart"
grep -q "MainLeft=1200" "$out/settings/halvexhost.ini" || fail "the placement is not in the user's settings"
