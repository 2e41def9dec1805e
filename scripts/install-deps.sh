#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those
# that are missing: the ones named as arguments, else the usual build's.
set -euo pipefail

default_packages=(
  cmake ninja-build g++ pkg-config python3
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev
  libicu-dev
  libcli11-dev nlohmann-json3-dev
  # Qt Charts' CMake package needs Qt OpenGL's, which qt6-charts-dev does not
  # pull in. qt6-l10n-tools has lupdate and lrelease for the window's
  # translations.
  qt6-base-dev qt6-translations-l10n qt6-l10n-tools qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
  fonts-ipafont-gothic xvfb xauth
  clang libclang-rt-14-dev
  # dpkg-dev builds the package, lintian checks it as Debian would.
  dpkg-dev lintian
  shared-mime-info xdg-utils libfile-mimeinfo-perl libxml2-utils desktop-file-utils
  # setfacl for the tests of files saved into folders with a default ACL.
  acl
)
if [ "$#" -gt 0 ]; then packages=("$@"); else packages=("${default_packages[@]}"); fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg -s "$p" >/dev/null 2>&1 || ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -y || true
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
