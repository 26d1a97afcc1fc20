#!/usr/bin/env bash
# Runs the installer's main job under Wine, in a prefix of its own, and reports what it did.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX=$PWD/build/wine/demo-prefix
export VEXRA_BUILD=$PWD/build/win
scripts/wineprefix --if-missing
source scripts/xvfb
exec python3 tests/e2e/demo.py
