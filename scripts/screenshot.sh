#!/usr/bin/env bash
# Makes the README's pictures of the window at 1280×800 on a virtual display
# (Xvfb) during demo runs:
#   batch  docs/window.png       the batch panel open, two items collected, the third under way
#   tabs   docs/window-tabs.png  the marketplace's home page and an item's page in two tabs
#   skin   docs/window-skin.png  the shipped skin 墨夜, the second item under way
#   log    docs/window-log.png   the 日志 window over the window, searched for a refusal
#   preview docs/window-preview.png the 宝贝预览 window over the window, the first collected item
# Usage: scripts/screenshot.sh            (all five)
#        scripts/screenshot.sh SCENE [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh >&2
./scripts/build.sh >/dev/null

shoot() {
  local scene=$1 out=$2
  mkdir -p "$(dirname "$out")"
  xvfb-run -a -s "-screen 0 1280x800x24" ./build/src/shell/zorvane-picker --demo \
    --screenshot "$out" --screenshot-scene "$scene"
}

if [[ $# -ge 1 ]]; then
  case $1 in
    batch) default=docs/window.png ;;
    tabs) default=docs/window-tabs.png ;;
    skin) default=docs/window-skin.png ;;
    log) default=docs/window-log.png ;;
    preview) default=docs/window-preview.png ;;
    *) echo "未知的截图内容: $1 (batch、tabs、skin、log 或 preview)" >&2; exit 1 ;;
  esac
  shoot "$1" "${2:-$default}"
else
  shoot batch docs/window.png
  shoot tabs docs/window-tabs.png
  shoot skin docs/window-skin.png
  shoot log docs/window-log.png
  shoot preview docs/window-preview.png
fi
