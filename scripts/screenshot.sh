#!/usr/bin/env bash
# Shows the controller under a virtual X display and saves a picture of its window, or of one
# of its dialogs, its window menu or a message box, opened the way an operator opens them.
# Usage: scripts/screenshot.sh BUILD_DIR OUTPUT.png [main|settings|cal1|cal2|about|menu|message] [ja|en]
# The last argument is the Language of the copy's ZENKO.ini (ja when left out).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
output=$(realpath -m "$2")
what=${3:-main}
language=${4:-ja}
"$root/scripts/install-deps.sh" xvfb xauth imagemagick xdotool

# The title xdotool looks for, in the language shown; a message box is titled by the program.
case "$language:$what" in
    *:main | *:menu) caption= ;;
    *:message) caption=zenko ;;
    en:settings) caption='Settings' ;;
    en:cal1) caption='Calibration point 1' ;;
    en:cal2) caption='Calibration point 2' ;;
    en:about) caption='About ZENKO' ;;
    *:settings) caption='初期設定' ;;
    *:cal1) caption='校正-１' ;;
    *:cal2) caption='校正-２' ;;
    *:about) caption='ZENKOのﾊﾞｰｼﾞｮﾝ情報' ;;
    *) echo "screenshot.sh: nothing called $what" >&2; exit 2 ;;
esac
main_caption='アンテナコントローラ'
[ "$language" = en ] && main_caption='Antenna Controller'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/zenko" "$work/zenko"
cat >"$work/ZENKO.ini" <<INI
[ZENKO]
PICNIC_IP_1=127.0.0.1
PICNIC_IP_2=127.0.0.2
PICNIC_IP_3=127.0.0.3
Language=$language
INI
# Clicks land on the main window's controls: dialog units of its font are 7 x 13 pixels, and the
# client area begins below the menu bar.
cat >"$work/shoot.sh" <<SHOOT
set -eu
'$work/zenko' & pid=\$!
sleep 3
main=\$(xdotool search --name '$main_caption' | head -n1)
eval \$(xdotool getwindowgeometry --shell "\$main")
menu_y=\$((Y + 10))
client_y=\$((Y + 22))
case '$what' in
    settings) xdotool mousemove \$((X + 25)) \$menu_y click 1 ;;
    cal1) xdotool mousemove \$((X + 95)) \$menu_y click 1 ;;
    cal2) xdotool mousemove \$((X + 150)) \$menu_y click 1 ;;
    about) xdotool mousemove \$((X + 300)) \$((Y + 300)) click 3; sleep 1; xdotool key a ;;
    menu) xdotool mousemove \$((X + 300)) \$((Y + 300)) click 3 ;;
    message)
        # Letters in the control period field, which Start refuses.
        xdotool mousemove \$((X + 475)) \$((client_y + 53)) click --repeat 3 1
        xdotool type x
        xdotool mousemove \$((X + 667)) \$((client_y + 221)) click 1 ;;
esac
sleep 2
case '$what' in
    main) import -window "\$main" '$work/shot.png' ;;
    # The menu is a window of its own beside the main window's corner.
    menu) import -window root -crop "\$((WIDTH + 200))x\$((HEIGHT + 60))+\$X+\$Y" '$work/shot.png' ;;
    *) import -window "\$(xdotool search --name '$caption' | tail -n1)" '$work/shot.png' ;;
esac
kill \$pid
SHOOT
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/shoot.sh"
cp "$work/shot.png" "$output"
echo "$output"
