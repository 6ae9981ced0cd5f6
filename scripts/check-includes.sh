#!/usr/bin/env bash
# The rooms' include rules. Prints each offending include and fails when there is one.
# - No include climbs ("../"): every path is spelled from src/ (or the tests' support folder).
# - A room uses its neighbours through their headers: no .cpp is included.
# - The engine (collection, download, lists, shop, platform) never includes the shell.
# - In shell/, only app/ includes app/ (it puts the other rooms together).
# - download/ and lists/ never include the batch's room collection/batch/ (the batch uses them).
# - In platform/, files/ includes no other platform room and net/ only files/.
# - The window's rooms are parts the main form puts together: none but main/ includes the form itself.
# Usage: check-includes.sh [SOURCE_ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]'
scan() { grep -rnE --include='*.h' --include='*.cpp' "$@" || true; }
offences=$(
  scan "${include}\.\./" src tests bench
  scan "${include}[^>\"]*\.cpp[>\"]" src tests bench
  scan "${include}shell/" src/collection src/download src/lists src/shop src/platform
  scan "${include}shell/app/" src/shell --exclude-dir=app
  scan "${include}collection/batch/" src/download src/lists
  scan "${include}platform/(web|net|desktop)/" src/platform/files
  scan "${include}platform/(web|desktop)/" src/platform/net
  scan "${include}shell/window/main/main_form\.h" src/shell/window --exclude-dir=main
)
if [[ -n "$offences" ]]; then
  echo "不允许的 #include(规则见 scripts/check-includes.sh 开头):" >&2
  echo "$offences" >&2
  exit 1
fi
