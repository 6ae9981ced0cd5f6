#!/usr/bin/env bash
# The engine never includes the shell, and no room of shell/ below app/
# includes app/ (app/ puts the others together). Prints each offending
# include and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

offences=$(
  grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"shell/' \
      src/collection src/download src/lists src/shop src/platform || true
  grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"shell/app/' \
      src/shell --exclude-dir=app || true
)
if [[ -n "$offences" ]]; then
  echo "不允许的 #include(引擎不引用 shell/,shell/ 中 app/ 以外的房间不引用 app/):" >&2
  echo "$offences" >&2
  exit 1
fi
