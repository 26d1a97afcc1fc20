# Sourced by the Wine scripts: where the prefix lives and how Wine is started quietly.
VEXRA_ROOT=${VEXRA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$VEXRA_ROOT/build/wine/prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers (there is no network for them, and nothing here needs them).
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The loader that matches the programs this machine can run (scripts/winarch).
VEXRA_WINARCH=${VEXRA_WINARCH:-$("$VEXRA_ROOT/scripts/winarch")}
if [ "$VEXRA_WINARCH" = x86_64 ]; then WINE=/usr/lib/wine/wine64; else WINE=/usr/lib/wine/wine; fi
export WINELOADER=$WINE
