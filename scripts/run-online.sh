#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The online part of `make run`: a soft module (pontra-sim) on a loopback address and
# high ports, the project downloaded to it, live values for a few seconds, an input
# toggled and the values again, a mode switch, then the soft module stopped, also when
# a step fails.
#   scripts/run-online.sh BUILD_DIR PROJECT.clp TAG1,TAG2,... [BOOL_TAG_TO_TOGGLE]
set -euo pipefail
build=$1
project=$2
tags=$3
toggle=${4:-}
cli="$build/src/cli/pontra-cli"
sim="$build/src/sim/pontra-sim"

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

# The module's program is read back into the temporary folder: a private one.
export TMPDIR="$work"
online=(--ip "$address" "${ports[@]}")

echo
echo "== Download Program to the soft module at $address"
"$cli" download "$project" "${online[@]}" --yes
echo
echo "== Online: live values after each read of tag memory (one a second)"
"$cli" debug "$project" "${online[@]}" --tags "$tags" --polls 3
if [ -n "$toggle" ]; then
    echo
    echo "== Toggle Bit on $toggle, then the live values again"
    "$cli" toggle "$project" "${online[@]}" "$toggle"
    "$cli" debug "$project" "${online[@]}" --tags "$tags" --polls 3
fi
echo
echo "== Program mode, then run mode again"
"$cli" mode "$project" "${online[@]}" program
"$cli" mode "$project" "${online[@]}" run
echo
echo "== Stopping the soft module"
