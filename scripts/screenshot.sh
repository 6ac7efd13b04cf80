#!/usr/bin/env bash
# Shows the controller under a virtual X display and saves a picture of its window.
# Usage: scripts/screenshot.sh BUILD_DIR OUTPUT.png [seconds to wait]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
output=$(realpath -m "$2")
wait=${3:-3}
"$root/scripts/install-deps.sh" xvfb xauth imagemagick

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/zenko" "$work/zenko"
cat >"$work/ZENKO.ini" <<'INI'
[ZENKO]
PICNIC_IP_1=127.0.0.1
PICNIC_IP_2=127.0.0.2
PICNIC_IP_3=127.0.0.3
INI
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
    '$work/zenko' & pid=\$!
    sleep $wait
    import -window root '$work/screen.png'
    kill \$pid"
convert "$work/screen.png" -trim +repage "$output"
echo "$output"
