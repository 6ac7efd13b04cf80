#!/usr/bin/env bash
# Shows the controller under a virtual X display and saves a picture of its window, or of one
# of its dialogs opened the way an operator opens it.
# Usage: scripts/screenshot.sh BUILD_DIR OUTPUT.png [main|settings|cal1|cal2|about]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
output=$(realpath -m "$2")
what=${3:-main}
"$root/scripts/install-deps.sh" xvfb xauth imagemagick xdotool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/zenko" "$work/zenko"
cat >"$work/ZENKO.ini" <<'INI'
[ZENKO]
PICNIC_IP_1=127.0.0.1
PICNIC_IP_2=127.0.0.2
PICNIC_IP_3=127.0.0.3
INI
cat >"$work/shoot.sh" <<SHOOT
set -eu
'$work/zenko' & pid=\$!
sleep 3
main=\$(xdotool search --name 'アンテナコントローラ' | head -n1)
eval \$(xdotool getwindowgeometry --shell "\$main")
menu_y=\$((Y + 10))
case '$what' in
    main) target=\$main ;;
    settings) xdotool mousemove \$((X + 25)) \$menu_y click 1; caption='初期設定' ;;
    cal1) xdotool mousemove \$((X + 95)) \$menu_y click 1; caption='校正-１' ;;
    cal2) xdotool mousemove \$((X + 150)) \$menu_y click 1; caption='校正-２' ;;
    about) xdotool mousemove \$((X + 300)) \$((Y + 300)) click 3; sleep 1; xdotool key a; caption='ZENKOのﾊﾞｰｼﾞｮﾝ情報' ;;
esac
sleep 2
if [ '$what' != main ]; then
    target=\$(xdotool search --name "\$caption" | tail -n1)
fi
import -window "\$target" '$work/shot.png'
kill \$pid
SHOOT
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/shoot.sh"
cp "$work/shot.png" "$output"
echo "$output"
