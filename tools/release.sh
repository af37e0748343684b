#!/bin/sh
# Makes every artefact of a release in dist/: the Debian packages (dxvane, dxvane-demo) and a
# .tar.gz of the installed tree (Release build, stripped), and the Windows zip when the
# mingw-w64 toolchain and tools/setup_windows.sh's httplib.h are there.
#   tools/release.sh
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dist="$root/dist"
mkdir -p "$dist"
for package in dpkg-dev; do  # dpkg-shlibdeps finds the package's libraries
  dpkg -s "$package" >/dev/null 2>&1 || { echo "Please install $package" >&2; exit 1; }
done

cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDXVANE_TESTS=OFF -DDXVANE_BENCHMARKS=OFF
cmake --build "$root/build-release"
(cd "$root/build-release" && cpack -B "$dist" >/dev/null)
rm -rf "$dist/_CPack_Packages"

if command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1 && [ -f "$root/.deps/cpp-httplib/httplib.h" ]; then
  cmake -S "$root" -B "$root/build-windows-release" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DDXVANE_TESTS=OFF
  cmake --build "$root/build-windows-release" --target release
  cp "$root"/build-windows-release/Dxvane-*-windows.zip "$dist/"
else
  echo "No Windows zip: run tools/setup_windows.sh first for it" >&2
fi
ls -l "$dist"
