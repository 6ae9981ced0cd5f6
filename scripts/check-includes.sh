#!/usr/bin/env bash
# The engine never includes the shell; no room of shell/ below app/ includes
# app/ (app/ puts the others together); download/ and lists/ never include
# the batch's room collection/batch/ (the batch uses them, not the other way
# round). Prints each offending include and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

include='^[[:space:]]*#[[:space:]]*include[[:space:]]*"'
offences=$(
  grep -rnE --include='*.h' --include='*.cpp' "${include}shell/" \
      src/collection src/download src/lists src/shop src/platform || true
  grep -rnE --include='*.h' --include='*.cpp' "${include}shell/app/" \
      src/shell --exclude-dir=app || true
  grep -rnE --include='*.h' --include='*.cpp' "${include}collection/batch/" \
      src/download src/lists || true
)
if [[ -n "$offences" ]]; then
  echo "不允许的 #include(引擎不引用 shell/,shell/ 中 app/ 以外的房间不引用 app/,download/ 与 lists/ 不引用 collection/batch/):" >&2
  echo "$offences" >&2
  exit 1
fi
