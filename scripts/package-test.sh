#!/usr/bin/env bash
# Makes the Debian packages of a build folder and checks them as a fresh
# Debian 12 machine meets them: their dependencies resolve against Debian's
# packages, and, unpacked into an empty root, the tools, the Python package,
# the man pages and a C++ program built with the CMake package and with
# pkg-config work from there alone.
#
# usage: scripts/package-test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "package test: $*" >&2
  exit 1
}

echo "== packages"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  fail "cpack failed"
}
mapfile -t debs < <(ls "$build"/packages/*.deb)
for name in libqxvbutils0 libqxvbutils-dev qxvbutils-tools python3-qxvbutils; do
  ls "$build"/packages/"${name}"_*.deb >/dev/null 2>&1 || fail "no package $name"
done
for deb in "${debs[@]}"; do
  echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done
dpkg-deb -f "$build"/packages/libqxvbutils0_*.deb Depends | grep -q 'libsqlite3-0' ||
  fail "the library's dependencies were not found"
dpkg-deb -f "$build"/packages/qxvbutils-tools_*.deb Depends | grep -q 'libqxvbutils0 (=' ||
  fail "the tools do not depend on the library package"

echo "== dependencies resolve against Debian's packages"
apt-get install --simulate --no-install-recommends "${debs[@]}" >"$work/apt.log" 2>&1 || {
  cat "$work/apt.log"
  fail "the packages cannot be installed"
}

echo "== unpacked into an empty root"
root=$work/root
for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$root"; done
libdir=$(dirname "$(find "$root/usr/lib" -name 'libQXVBUtils.so.*' -type f | head -n 1)")
for data in qxxres-strings.txt merrin-labels.txt; do
  [ -f "$root/usr/share/qxvbutils/$data" ] || fail "no installed $data"
done
[ -f "$root/usr/share/man/man1/qxrepo.1.gz" ] || fail "no man page of qxrepo"
for tool in qxcall qxreg qxrepo qxregister; do
  [ -x "$root/usr/bin/$tool" ] || fail "no $tool"
  [ -f "$root/usr/share/man/man1/$tool.1.gz" ] || fail "no man page of $tool"
done
MANWIDTH=80 man -l "$root/usr/share/man/man1/qxcall.1.gz" 2>/dev/null | grep -q 'late-bound' ||
  fail "the man page of qxcall does not render"

export LD_LIBRARY_PATH=$libdir PATH=$root/usr/bin:$PATH
export PYTHONPATH=$root/usr/lib/python3/dist-packages
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export HOME=$work/home QXVB_MACHINE_DIR=$work/machine
mkdir -p "$HOME"
if ldd "$root/usr/bin/qxcall" "$libdir"/libQXVBUtils.so.* | grep -q 'not found'; then
  fail "unresolved libraries"
fi

echo "== the tools"
out=$(qxcall --json QXVBUtils.QXUtilities QXSaveErrInfo l:5 s:a s:b)
[[ $out == '{"result": {"Number": 5, "Source": "a"'* ]] || fail "qxcall answered: $out"
qxrepo create "$work/store.qxr" >/dev/null
echo "notes" >"$work/notes.txt"
qxrepo import "$work/store.qxr" "$work/notes.txt" >/dev/null
[ "$(qxrepo list "$work/store.qxr")" = "notes.txt" ] || fail "qxrepo did not store the file"

echo "== the Python package"
# A text of the installed string table, changed, shows that the library
# reads it from its place beside the library's folder.
sed -i 's/^41136\t.*/41136\tInstalled text: the audit identifier is empty./' \
  "$root/usr/share/qxvbutils/qxxres-strings.txt"
/usr/bin/python3 - "$root" <<'END'
import sys
import qxvbutils

root = sys.argv[1]
assert qxvbutils.__file__.startswith(root), qxvbutils.__file__
utilities = qxvbutils.create("QXVBUtils.QXUtilities")
utilities.QXSetSetting("Colour", "blue", "Tour")
assert utilities.QXGetSetting("Colour", "", 100, "Tour")[2] == "blue"
try:
    utilities.QX_Util_FixAuditID("")
except qxvbutils.AutomationError as e:
    assert e.number == 45489 and e.description.startswith("Installed text"), e
else:
    raise AssertionError("no error")
# Labels come from the installed label file.
assert utilities.QX_Util_GetLabelForPropertyInType(1, 2, "Author") == "Analyst"
stubs = qxvbutils.__file__.replace("__init__.py", "__init__.pyi")
assert "class QXUtilities(Object):" in open(stubs).read()
print("python: ok")
END

echo "== a C++ program built against the installed files"
mkdir -p "$work/consumer"
cat >"$work/consumer/main.cpp" <<'END'
#include <frame/catalogue.h>
#include <frame/dispatch.h>
#include <frame/module_state.h>
#include <frame/vb_conversions.h>

#include <iostream>

int main() {
  qxvb::Object utilities = qxvb::createObject("QXVBUtils.QXUtilities");
  qxvb::Variant info = utilities->call("QXSaveErrInfo", {qxvb::Variant(int32_t{7}),
                                                         qxvb::Variant("a"), qxvb::Variant("b")});
  std::cout << qxvb::CStr(*info.get<qxvb::Record>()->field("Number")) << "\n";
  qxvb::unloadThread();
  return 0;
}
END
cat >"$work/consumer/CMakeLists.txt" <<'END'
cmake_minimum_required(VERSION 3.25)
project(consumer CXX)
find_package(QXVBUtils 0.1 REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE QXVBUtils::QXVBUtils)
if(NOT TARGET QXVBUtils::qxcall)
  message(FATAL_ERROR "no imported qxcall")
endif()
END
cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$root/usr" \
  >"$work/consumer.log" 2>&1 || {
  cat "$work/consumer.log"
  fail "find_package(QXVBUtils) failed"
}
cmake --build "$work/consumer/build" >>"$work/consumer.log" 2>&1 || {
  cat "$work/consumer.log"
  fail "the CMake consumer does not build"
}
[ "$("$work/consumer/build/consumer")" = "7" ] || fail "the CMake consumer answered wrongly"
flags=$(PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs qxvbutils)
# shellcheck disable=SC2086
g++ "$work/consumer/main.cpp" $flags -o "$work/consumer/by-pkg-config"
[ "$("$work/consumer/by-pkg-config")" = "7" ] || fail "the pkg-config consumer answered wrongly"
echo "packages: ok"
