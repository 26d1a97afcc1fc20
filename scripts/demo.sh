#!/usr/bin/env bash
# Runs the installer's main job under Wine, in a prefix of its own, against the local vendor stack in the
# private test network, and reports what it did.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX=$PWD/build/wine/demo-prefix
export VEXRA_BUILD=$PWD/build/win
scripts/wineprefix --if-missing
source scripts/xvfb
exec standins/vendor-servers/run-stack tests/download/scenarios/demo.json -- python3 tests/e2e/demo.py
