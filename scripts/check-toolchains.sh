#!/usr/bin/env bash
# Checks that the program needs neither MinGW nor GCC:
# 1. An MSVC-style toolchain (clang-cl, lld-link, llvm-rc) configures the build and gets the
#    program's, the model checker's and the results tool's targets only: none of the
#    MinGW-only tests and fixtures, no -static.
#    There is no Windows SDK here, so this configures without linking anything.
# 2. Every product source compiles with clang in pedantic mode with GNU extensions as
#    errors: the portable ones (and the platform hooks' fake) natively and for Windows, the Windows ones for
#    x86_64-w64-mingw32 against the MinGW-w64 headers, and the audio sources for
#    i686-w64-mingw32 too.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${VELK_JOBS:-2}

build=build/clang-cl
rm -rf "$build"
mkdir -p "$build"
cat >"$build/toolchain.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER clang-cl-14)
set(CMAKE_CXX_COMPILER clang-cl-14)
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_RC_COMPILER llvm-rc-14)
set(CMAKE_LINKER lld-link)
set(CMAKE_AR llvm-lib-14)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
EOF
cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$PWD/$build/toolchain.cmake" \
  >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
targets=$(make -s -C "$build" help | sed -n 's/^\.\.\. \([A-Za-z0-9_]*\)$/\1/p' |
  grep -vxE 'all|clean|depend|edit_cache|rebuild_cache|install|list_install_components|package|package_source|test' |
  LC_ALL=C sort | tr '\n' ' ')
echo "clang-cl configure: targets $targets"
expected="VelkAnalyser VelkCheck VelkResults velk_check_core velk_core velk_driver_guard velk_headless velk_results_core velk_win32 "
if [ "$targets" != "$expected" ]; then
  echo "expected the program's and the tools' targets only ($expected)" >&2
  exit 1
fi
if grep -q -- "-static\|-mwindows" "$build/CMakeFiles/VelkAnalyser.dir/link.txt"; then
  echo "MinGW link options given to an MSVC-style linker" >&2
  exit 1
fi

# Pedantic compile. Only the MinGW-w64 headers are searched for the Windows target (never
# the host's): clang does not find GCC's "12-posix" folder by itself.
gcc_dir=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix | sort -V | tail -1)
resource_dir=$(clang -print-resource-dir)
windows=(--target=x86_64-w64-mingw32 -nostdinc -isystem "$gcc_dir/include/c++"
  -isystem "$gcc_dir/include/c++/x86_64-w64-mingw32" -isystem "$gcc_dir/include/c++/backward"
  -isystem "$resource_dir/include" -isystem /usr/x86_64-w64-mingw32/include
  -DWIN32_LEAN_AND_MEAN -DNOMINMAX -Iresources)
strict=(-fsyntax-only -pedantic-errors -Werror=gnu -Wall -Wextra -I. -I"$build/generated")
# The platform hooks' fake too: the tools link it, so every toolchain builds it.
portable=$(ls base/*.cpp app/*.cpp config/*.cpp midi/*.cpp audio/*.cpp ui/*.cpp report/*.cpp \
  tests/fakes/*.cpp | grep -vE '_(win32|posix)\.cpp$')
win32=$(ls base/*_win32.cpp app/*_win32.cpp config/*_win32.cpp midi/*_win32.cpp audio/*_win32.cpp \
  ui/*_win32.cpp report/*_win32.cpp 2>/dev/null)
status=0
printf '%s\n' $portable | xargs -P "$jobs" -I{} clang++ -std=c++20 "${strict[@]}" {} || status=1
printf '%s\n' $portable $win32 |
  xargs -P "$jobs" -I{} clang++ -std=c++20 "${windows[@]}" "${strict[@]}" {} || status=1
# The driver interface again for 32-bit Windows, where its calling conventions are stated
# (thiscall, stdcall, cdecl): Microsoft's keywords, which clang takes as MSVC does.
gcc32_dir=$(ls -d /usr/lib/gcc/i686-w64-mingw32/*-posix | sort -V | tail -1)
windows32=(--target=i686-w64-mingw32 -nostdinc -isystem "$gcc32_dir/include/c++"
  -isystem "$gcc32_dir/include/c++/i686-w64-mingw32" -isystem "$gcc32_dir/include/c++/backward"
  -isystem "$resource_dir/include" -isystem /usr/i686-w64-mingw32/include
  -DWIN32_LEAN_AND_MEAN -DNOMINMAX -Iresources)
ls audio/*.cpp | xargs -P "$jobs" -I{} clang++ -std=c++20 "${windows32[@]}" "${strict[@]}" {} ||
  status=1
# The driver guard is C with Microsoft's structured exception handling, its reason to be.
for source in audio/*_win32.c; do
  clang -std=c17 "${windows[@]}" "${strict[@]}" -fms-extensions \
    -Wno-language-extension-token "$source" || status=1
done
count=$(printf '%s\n' $portable $win32 audio/*_win32.c | wc -l)
if [ $status -ne 0 ]; then
  echo "pedantic compile: GNU extensions or errors above" >&2
  exit 1
fi
echo "pedantic compile: $count product sources, no GNU extension"
