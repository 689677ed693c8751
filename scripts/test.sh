#!/usr/bin/env bash
# Builds everything and runs every test: formatting and the demo model's files, native unit
# tests and fuzz corpora (ASan/UBSan), the thread stress test (TSan), benchmarks (figures
# only), the other Windows toolchains, Windows-side tests under Wine, the model checker, and
# the end-to-end scenarios (the real program under Wine and Xvfb with the virtual MIDI unit
# and the loopback ASIO driver), then the 32-bit station's build, Windows-side tests, checker
# and driver, MIDI and start-up scenarios. On a fresh Debian 12 machine it installs what it
# needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${VELK_JOBS:-2}

step() { printf '\n=== %s\n' "$*"; }

step "Installing build and test dependencies"
scripts/install-deps.sh

step "Formatting (.clang-format), the floors of the includes, each file its own header, settings keys only in the schema, the demo model against its generator"
git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
/usr/bin/python3 scripts/check-floors.py
/usr/bin/python3 scripts/check-own-headers.py
/usr/bin/python3 scripts/check-keys.py
/usr/bin/python3 scripts/make_demo.py --check

step "Native build (ASan/UBSan) and unit tests"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

step "Fuzz targets under libFuzzer (clang, ASan/UBSan) over their seed corpora"
scripts/fuzz.sh 0

step "Thread stress test under ThreadSanitizer"
cmake --preset native-tsan >/dev/null
cmake --build --preset native-tsan -j "$jobs" --target velk_unit_tests
TSAN_OPTIONS="halt_on_error=1" build/native-tsan/tests/velk_unit_tests --gtest_filter='Stress*'

step "Benchmarks (figures only)"
cmake --preset native-bench >/dev/null
cmake --build --preset native-bench -j "$jobs"
benches=(build/native-bench/tests/*_bench)
[ -x "${benches[0]}" ] || { echo "no benchmark was built" >&2; exit 1; }
for bench in "${benches[@]}"; do
  "$bench" --benchmark_min_time=0.2
done

step "Other Windows toolchains: clang-cl configure, pedantic clang compile of the product"
scripts/check-toolchains.sh

step "Windows build (MinGW-w64)"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

step "Test Wine prefix"
export VELK_WINEPREFIX=${VELK_WINEPREFIX:-$root/build/wineprefix}
scripts/wine-prefix.sh "$root/build/mingw"

step "Windows-side tests under Wine"
ctest --preset mingw

step "Windows-side benchmark (figures only)"
scripts/wine-run.sh build/mingw/tests/win/config_profile_bench.exe
scripts/wine-run.sh build/mingw/tests/win/stream_bench.exe

step "Model checker: demo clean, broken-model corpus, VelkCheck.exe under Wine, sheet in Chromium"
VELK_CHECK="$root/build/native/check/velk-check" VELK_CHECK_EXE="$root/build/mingw/check/VelkCheck.exe" \
  VELK_CHECK_REQUIRE_EXE=1 /usr/bin/python3 -m pytest -q check/tests
build/native-bench/check/velk_check_bench

step "Results tool: known failures, files set aside, VelkResults.exe under Wine, page in Chromium"
VELK_RESULTS="$root/build/native/results/velk-results" \
  VELK_RESULTS_EXE="$root/build/mingw/results/VelkResults.exe" VELK_RESULTS_REQUIRE_EXE=1 \
  /usr/bin/python3 -m pytest -q results/tests
build/native-bench/results/velk_results_bench

step "End-to-end scenarios under Wine and Xvfb"
# -s shows the figures some scenarios print (latencies); nothing else is printed.
VELK_BUILD_DIR="$root/build/mingw" VELK_RESULTS="$root/build/native/results/velk-results" \
  /usr/bin/python3 -m pytest -q -s tests/e2e

step "32-bit station (MinGW-w64 i686): build, Windows-side tests, checker, driver and MIDI scenarios"
# The station for units whose ASIO driver is 32-bit only, from the same sources. Its fixtures
# go into the same prefix: the MIDI driver into syswow64, the loopback driver's entries into
# the registry's 32-bit view.
cmake --preset mingw32 >/dev/null
cmake --build --preset mingw32 -j "$jobs"
scripts/wine-prefix.sh "$root/build/mingw32"
ctest --preset mingw32
scripts/wine-run.sh build/mingw32/tests/win/stream_bench.exe
VELK_CHECK="$root/build/native/check/velk-check" VELK_CHECK_EXE="$root/build/mingw32/check/VelkCheck.exe" \
  VELK_CHECK_REQUIRE_EXE=1 /usr/bin/python3 -m pytest -q check/tests -k windows_checker
# Everything that crosses the driver, MIDI or start-up: the virtual unit, the audio host on
# its own against the loopback driver, start-up, the whole MIDI run, the whole audio run in
# every sample type, failing driver start-ups and faults; and the video launch, whose
# %ProgramFiles% is the x86 folder for a 32-bit process.
VELK_BUILD_DIR="$root/build/mingw32" /usr/bin/python3 -m pytest -q -s tests/e2e/test_vmidi.py \
  tests/e2e/test_asio_host.py tests/e2e/test_startup.py tests/e2e/test_midi_run.py tests/e2e/test_audio.py \
  tests/e2e/test_video.py
