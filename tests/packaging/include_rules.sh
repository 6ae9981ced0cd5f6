#!/usr/bin/env bash
# The include check passes on the tree, and fails on a copy of it with one
# include planted that breaks a rule.
# Usage: include_rules.sh SOURCE_ROOT
set -euo pipefail
root=$1
check="$root/scripts/check-includes.sh"
"$check" "$root"
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
plant() { # file, include line
  rm -rf "${copy:?}"/*
  cp -r "$root/src" "$root/tests" "$root/bench" "$copy/"
  sed -i "1i $2" "$copy/$1"
  if "$check" "$copy" 2>/dev/null; then
    echo "未发现植入的 $2 ($1)" >&2
    exit 1
  fi
}
plant src/collection/marketplace.cpp '#include "../lists/item_lines.h"'
plant src/lists/item_list.cpp '#include "collection/batch/batch_cycle.h"'
plant src/platform/files/text_file.cpp '#include "platform/web/webengine_setup.h"'
plant src/shell/window/batch/progress_strip.cpp '#include "shell/window/main/main_form.h"'
plant src/shop/watch_list.cpp '#include "shell/settings.h"'
plant src/shell/browser/tab_book.cpp '#include "shell/window/main/../batch/batch_panel.cpp"'
