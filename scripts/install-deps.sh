#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once: packages
# already present are left alone, so a second run costs nothing.
#
#   scripts/install-deps.sh       everything scripts/test.sh needs
#   scripts/install-deps.sh web   only what building the playground needs
set -euo pipefail

web_packages=(cmake make emscripten)
packages=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libwebp-dev fonts-dejavu-core
  g++-mingw-w64-x86-64 wine64
  clang libclang-rt-14-dev
  valgrind gcovr
  emscripten chromium
)
if [[ ${1:-} == web ]]; then
  packages=("${web_packages[@]}")
fi
# The browser tests need node and npm. A machine with a node of its own
# keeps it; otherwise Debian's, whose npm is a package of its own.
if ! command -v node >/dev/null; then
  packages+=(nodejs npm)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
