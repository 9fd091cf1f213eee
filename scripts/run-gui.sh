#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop application on a soft module: a soft module on a random loopback address
# and high ports, the project's module address set to it, and pontra run with those
# ports, so that Download and Debug work at once. Closing the window stops the module.
# With --screenshots the main window is pictured instead, offline and online (after a
# download), into DIR.
#   scripts/run-gui.sh BUILD_DIR PROJECT.clp [--screenshots DIR]
set -euo pipefail
build=$1
project=$2
mode=${3:-}
shots=${4:-$build/screenshots}
cli="$build/src/cli/pontra-cli"
sim="$build/src/sim/pontra-sim"
pontra="$build/src/gui/pontra"

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/soft-module.sh
. "$here/soft-module.sh"

work=$(mktemp -d)
sim_pid=
cleanup() {
    stop_soft_module
    rm -rf "$work"
}
trap cleanup EXIT

start_soft_module "$sim" "$work"
cat "$work/sim.out"
# pontra and pontra-cli take the module's ports from the environment; the program read
# back at the online start goes to a private temporary folder.
export PONTRA_MODBUS_PORT=${ports[1]} PONTRA_TFTP_PORT=${ports[3]} PONTRA_UDP_PORT=${ports[5]}
export TMPDIR="$work"
# Qt wants a private runtime folder; without a session (a CI machine) it would say so.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
fi
"$cli" set "$project" --ip "$address" --yes

if [ "$mode" != "--screenshots" ]; then
    echo "== pontra $project (module $address); close the window to stop the soft module"
    "$pontra" "$project"
    exit 0
fi

mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
"$pontra" --screenshot "$shots/main-offline.png" "$project"
"$pontra" --screenshot "$shots/tags-offline.png" --window tags "$project"
"$cli" download "$project" --yes > /dev/null
"$pontra" --screenshot "$shots/main-online.png" --online "$address" --trend ZoneOccupied --trend RunOn.ACC --trend ZoneSensor "$project"
"$pontra" --screenshot "$shots/tags-online.png" --window tags --online "$address" "$project"
echo "Screenshots of the main window: $shots/main-offline.png, $shots/tags-offline.png, $shots/main-online.png, $shots/tags-online.png"
