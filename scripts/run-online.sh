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

work=$(mktemp -d)
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A random 127.a.b.c and random high ports, so that other runs on the machine do not
# collide; another draw when the soft module cannot bind them.
for attempt in 1 2 3 4 5; do
    address="127.$((RANDOM % 200 + 20)).$((RANDOM % 256)).$((RANDOM % 200 + 10))"
    ports=(--modbus-port $((20000 + RANDOM % 10000)) --tftp-port $((30000 + RANDOM % 10000))
           --udp-port $((40000 + RANDOM % 10000)))
    "$sim" --address "$address" "${ports[@]}" > "$work/sim.out" 2> "$work/sim.err" &
    sim_pid=$!
    for _ in $(seq 100); do
        grep -q ready "$work/sim.out" && break
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.05
    done
    grep -q ready "$work/sim.out" && break
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
done
if [ -z "$sim_pid" ]; then
    echo "pontra-sim did not start:" >&2
    cat "$work/sim.err" >&2
    exit 1
fi
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
