#!/usr/bin/env bash
# The main job of `make run`: shows what pontra-cli offers, then takes a project online
# on a soft module: download, live values, a toggled input, a mode switch.
set -euo pipefail
build=${1:-build}
cli="$build/src/cli/pontra-cli"
here=$(cd "$(dirname "$0")/.." && pwd)
out="$build/examples"
mkdir -p "$out"

"$cli" --help
echo

# The conveyor zone example when the examples are there; otherwise a new project, whose
# controller tags still show live values.
if [ -x "$here/examples/build.sh" ] && [ -f "$here/examples/conveyor_zone.txt" ]; then
    echo "== examples/conveyor_zone.txt -> $out/conveyor_zone.clp"
    "$here/examples/build.sh" "$build" "$out" conveyor_zone
    project="$out/conveyor_zone.clp"
    tags="ZoneSensor,SensorDebounce.ACC,ZoneOccupied,MotorRun,JamTimer.ACC"
    toggle=ZoneSensor
else
    project="$out/online_demo.clp"
    rm -f "$project" "$out/online_demo_Backup.clp"
    echo "== A new Vessa project: $project"
    "$cli" new "$project"
    tags="FirstLadderExec,Inputs.0,Inputs,SpeedLeftMTR"
    toggle=Inputs.0
fi
"$here/scripts/run-online.sh" "$build" "$project" "$tags" "$toggle"
