#!/bin/sh
# Installs what building and testing Dxvane needs on Debian or Ubuntu, when it is missing.
set -e
packages="g++ cmake ninja-build pkg-config libcurl4-openssl-dev libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev tmux"
missing=""
for package in $packages; do
  dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if ! command -v apt-get >/dev/null 2>&1; then
  echo "Please install:$missing" >&2
  exit 1
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
