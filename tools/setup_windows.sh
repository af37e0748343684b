#!/bin/sh
# Installs what cross-building Dxvane for Windows and testing it under Wine needs on Debian:
# the mingw-w64 compiler, Wine and GoogleTest's sources (Debian packages), and the whole
# cpp-httplib header for the QRZ double, taken from Debian's source package of the version
# Debian ships (its Linux package holds only a split header and a compiled library).
set -e
cd "$(dirname "$0")/.."
sh tools/setup.sh
packages="g++-mingw-w64-x86-64 wine64 googletest xz-utils patch zip curl"
missing=""
for package in $packages; do
  dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
fi

folder=.deps/cpp-httplib
[ -f "$folder/httplib.h" ] && exit 0
pool=http://deb.debian.org/debian/pool/main/c/cpp-httplib
original=cpp-httplib_0.11.4+ds.orig.tar.xz
debian=cpp-httplib_0.11.4+ds-1+deb12u1.debian.tar.xz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
curl -fsS -o "$work/$original" "$pool/$original"
curl -fsS -o "$work/$debian" "$pool/$debian"
(cd "$work" && sha256sum -c - >/dev/null) <<SUMS
8b1a5df569003b6a4f24c68489bbda5c64aec94697bdc9ebba5d79408b2ae7eb  $original
a0adf8a38610806f6d94ba69839438635e5e6580775e28ff31d6a081e34f1484  $debian
SUMS
tar -C "$work" -xf "$work/$original"
tar -C "$work" -xf "$work/$debian"
source=$(find "$work" -maxdepth 1 -type d -name '*cpp-httplib*')
for change in $(cat "$work/debian/patches/series"); do
  patch -s -d "$source" -p1 < "$work/debian/patches/$change"
done
mkdir -p "$folder"
cp "$source/httplib.h" "$source/LICENSE" "$folder/"
echo "cpp-httplib 0.11.4 (Debian 0.11.4+ds-1+deb12u1) in $folder"
