#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (skips what is already there).
set -euo pipefail
packages=(cmake make g++ clang lld clang-format libgtest-dev libbenchmark-dev googletest
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine xvfb xdotool imagemagick fonts-wine
  python3-pytest nlohmann-json3-dev chromium)
# libFuzzer and the sanitizer runtimes for clang (scripts/fuzz.sh); clang-cl, llvm-rc and
# llvm-lib (scripts/check-toolchains.sh).
packages+=(libclang-rt-14-dev clang-tools-14 llvm-14)
# The 32-bit station: its compiler, and Wine's 32-bit half (i386 packages) to run it.
packages+=(g++-mingw-w64-i686-posix wine32:i386)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
