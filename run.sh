#!/usr/bin/env bash
# Installs what is missing, builds, and opens the controller in demo/: a copy of the program
# beside a ZENKO.ini whose board addresses are loopback, so nothing leaves this machine until
# a real board is configured there.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

scripts/install-deps.sh
scripts/build.sh build

demo="$root/demo"
mkdir -p "$demo"
cp build/zenko "$demo/zenko"
if [ ! -f "$demo/ZENKO.ini" ]; then
    cat >"$demo/ZENKO.ini" <<'INI'
[ZENKO]
PICNIC_IP_1=127.0.0.1
PICNIC_IP_2=127.0.0.2
PICNIC_IP_3=127.0.0.3
PICNIC_PARA_PORT=10001
INI
fi
exec "$demo/zenko"
