#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main job of `make run`: shows what pontra-cli offers, then builds the conveyor
# zone example from its component text into a project, verifies it, makes its program
# image and prints the project's main program as component text again; runs the
# examples' scenario tests on the simulated clock; then takes it online on a soft module:
# download, live values, a toggled input, a mode switch.
# With a display (DISPLAY or WAYLAND_DISPLAY) it runs the desktop application on the
# example and a soft module instead; without one it also pictures the main window.
set -euo pipefail
build=${1:-build}
cli="$build/src/cli/pontra-cli"
here=$(cd "$(dirname "$0")/.." && pwd)
out="$build/examples"
example=conveyor_zone
project="$out/$example.clp"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$here/examples/build.sh" "$build" "$out" "$example" > /dev/null
    exec "$here/scripts/run-gui.sh" "$build" "$project"
fi

"$cli" --help
echo
echo "== examples/$example.txt -> $project (new, import, verify)"
"$here/examples/build.sh" "$build" "$out" "$example"
echo
echo "== Make .bin File"
"$cli" make-bin "$project"
echo
echo "== Its main program, exported again (pontra-cli export --main)"
"$cli" export "$project" --main
echo
echo "== Scenario tests of the examples on the simulated clock (pontra-cli test)"
"$here/examples/build.sh" "$build" "$out" speed_ramp > /dev/null
"$cli" test "$project" "$here/examples/$example.test"
"$cli" test "$out/speed_ramp.clp" "$here/examples/speed_ramp.test"
echo
"$here/scripts/run-online.sh" "$build" "$project" \
    "ZoneSensor,SensorDebounce.ACC,ZoneOccupied,MotorRun,JamTimer.ACC" ZoneSensor
echo
echo "== The desktop application's main window, offline and online (pontra --screenshot)"
"$here/scripts/run-gui.sh" "$build" "$project" --screenshots "$build/screenshots"
