# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the run scripts: starts one soft module (pontra-sim) on a random loopback
# address and random high ports, so that other runs on the machine do not collide.
#   start_soft_module SIM WORK_DIR   sets address, ports (the three --*-port options)
#                                    and sim_pid; another draw when binding fails
#   stop_soft_module                 stops it (safe to call twice)
start_soft_module() {
    local sim=$1 work=$2 attempt
    sim_pid=
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
        grep -q ready "$work/sim.out" && return 0
        wait "$sim_pid" 2>/dev/null || true
        sim_pid=
    done
    echo "pontra-sim did not start:" >&2
    cat "$work/sim.err" >&2
    return 1
}

stop_soft_module() {
    if [ -n "${sim_pid:-}" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
        sim_pid=
    fi
}
