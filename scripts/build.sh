#!/usr/bin/env bash
# Builds the three trees:
#   build/native       the Windows-free modules, their tests and fuzzers, with ASan and UBSan (clang)
#   build/win          everything for Windows with the loopback profile, for the architecture Wine can
#                      run here (scripts/winarch): installer, stand-ins, test suites
#   build/win-release  the shipped 32-bit installer with the release profile (built, never run)
# and checks that both installers import only Windows system DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
arch=$(scripts/winarch)

configure() { # dir, args...
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

configure build/native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug
cmake --build build/native -j "$jobs"

configure build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake
cmake --build build/win -j "$jobs"

configure build/win-release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DVEXRA_PROFILE=release
cmake --build build/win-release -j "$jobs" --target vexra_installer

scripts/check-imports build/win-release/src/VexraSetup.exe build/win/src/VexraSetup.exe
