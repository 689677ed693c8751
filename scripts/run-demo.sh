#!/usr/bin/env bash
# Runs Velk Analyser on the bundled demo unit under Wine: builds what is needed, prepares the
# Wine prefix with the virtual MIDI unit and the loopback ASIO driver, and lets a scripted
# operator play the whole run (or, with --manual, lets you drive the unit from a console).
# With a display the run is shown live; without one it runs under Xvfb. Screenshots of every
# step and the saved report end up in out/demo (see --out). Exits non-zero when no report
# was saved. Options: --manual, --headless, --out DIR, --build DIR, --prefix DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "${VELK_JOBS:-2}"
exec /usr/bin/python3 tests/e2e/run_demo.py "$@"
