#!/usr/bin/env bash
# Makes the README's pictures of the window on a virtual display (Xvfb)
# during demo runs, at 1280×800:
#   batch  docs/window.png       the batch panel open, two items collected, the third under way
#   tabs   docs/window-tabs.png  the marketplace's home page and an item's page in two tabs
#   skin   docs/window-skin.png  the shipped skin 墨夜, the second item under way
#   log    docs/window-log.png   the 日志 window over the window, searched for a refusal
#   preview docs/window-preview.png the 宝贝预览 window over the window, the first collected item
#   watch  docs/window-watch.png the 店铺上新 window after a check of the demo shop and a closed one
#   listing docs/listing-folder.png the first collected item's 上架图 folder, file by file
# and at display scaling 1.5 on a 1920×1080 screen (a laptop at 150 %, 1280×720 to the program):
#   docs/window-150.png (batch) and docs/window-preview-150.png (preview)
# Usage: scripts/screenshot.sh                            (all nine)
#        scripts/screenshot.sh [--scale 1.5] SCENE [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh >&2
./scripts/build.sh >/dev/null

scale=1
if [[ ${1:-} == --scale ]]; then
  scale=$2
  shift 2
fi

shoot() {
  local scene=$1 out=$2 screen=1280x800
  # The same window in the program's own pixels, drawn with more screen pixels.
  [[ $scale != 1 ]] && screen=$(awk -v s="$scale" 'BEGIN { printf "%dx%d", 1280 * s, 720 * s }')
  mkdir -p "$(dirname "$out")"
  QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 ${screen}x24" ./build/src/shell/zorvane-picker --demo \
    --screenshot "$out" --screenshot-scene "$scene"
}

if [[ $# -ge 1 ]]; then
  suffix=
  [[ $scale != 1 ]] && suffix=-$(awk -v s="$scale" 'BEGIN { printf "%d", s * 100 }')
  case $1 in
    batch) default=docs/window$suffix.png ;;
    tabs) default=docs/window-tabs$suffix.png ;;
    skin) default=docs/window-skin$suffix.png ;;
    log) default=docs/window-log$suffix.png ;;
    preview) default=docs/window-preview$suffix.png ;;
    watch) default=docs/window-watch$suffix.png ;;
    listing) default=docs/listing-folder$suffix.png ;;
    *) echo "未知的截图内容: $1 (batch、tabs、skin、log、preview、watch 或 listing)" >&2; exit 1 ;;
  esac
  shoot "$1" "${2:-$default}"
else
  shoot batch docs/window.png
  shoot tabs docs/window-tabs.png
  shoot skin docs/window-skin.png
  shoot log docs/window-log.png
  shoot preview docs/window-preview.png
  shoot watch docs/window-watch.png
  shoot listing docs/listing-folder.png
  scale=1.5
  shoot batch docs/window-150.png
  shoot preview docs/window-preview-150.png
fi
