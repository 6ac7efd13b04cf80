#!/usr/bin/env bash
# Installs what is missing, builds, and opens the controller in demo/: a copy of the program
# beside a ZENKO.ini whose board addresses are loopback, wired to the simulated board, which is
# started beside it and stopped when the window closes. Nothing leaves this machine until a real
# board is configured in demo/ZENKO.ini (then the simulator is not started).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

scripts/install-deps.sh
scripts/build.sh build

demo="$root/demo"
mkdir -p "$demo"
cp build/zenko "$demo/zenko"
if [ ! -f "$demo/ZENKO.ini" ]; then
    # The simulated azimuth potentiometer spans 0..450 degrees over 0..4.5 V, so that the
    # preset at 222.22 degrees lies within what the board's 0..5 V input can read.
    cat >"$demo/ZENKO.ini" <<'INI'
; Demo configuration: the board is simulated on this machine.
[ZENKO]
PICNIC_IP_1=127.0.0.1
PICNIC_IP_2=127.0.0.2
PICNIC_IP_3=127.0.0.3
PICNIC_PARA_PORT=10001
Bin_Set_Value_Receiving_Port=10005
Asc_Set_Value_Receiving_Port=10006
Cal_Az_Ang_1=0
Cal_Az_Volt_1=0
Cal_Az_Ang_2=450
Cal_Az_Volt_2=4.5
; An axis whose readings stop for 5 seconds is switched off until they come again.
Feedback_Timeout=5
; The tracking drive: full speed, stopped where the axis comes to rest on its target.
Tracking_Drive=1
; An axis driven for 10 seconds without moving 2 degrees is switched off until Stop and Start;
; the soft limits keep the antenna inside the simulator's end stops (azimuth 0..450 degrees,
; elevation 0..100) by more than it turns in one control period.
Stall_Timeout=10
Az_Min_Ang=10
Az_Max_Ang=440
El_Min_Ang=5
El_Max_Ang=95
INI
fi

# The simulator runs only while every configured board address is loopback.
sim_pid=
if ! grep -iE '^\s*PICNIC_IP_[123]\s*=' "$demo/ZENKO.ini" | grep -vqE '=\s*"?127\.'; then
    port=$(grep -iE '^\s*PICNIC_PARA_PORT\s*=' "$demo/ZENKO.ini" | head -n1 | sed -E 's/.*=\s*"?([0-9]+).*/\1/')
    # With a display, the simulator also shows where the antenna points.
    view=()
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        view=(--view)
    fi
    build/tools/picnic-sim/picnic-sim --port "${port:-10001}" --az-line 0:0,450:4.5 \
        --az-stops 0:450 --az-start 150 --el-start 60 --az-speed 4 --el-speed 2 "${view[@]}" \
        >"$demo/picnic-sim.log" 2>&1 &
    sim_pid=$!
    trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
    echo "Simulated board on 127.0.0.1:${port:-10001} (log: demo/picnic-sim.log)"
    echo "To see the feedback guard: kill -USR1 $sim_pid silences the azimuth's readings" \
        "(-USR2 the elevation's); the same signal again brings them back"
fi
"$demo/zenko"
