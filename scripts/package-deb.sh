#!/usr/bin/env bash
# Builds the Debian package build/package/zorvane-picker_<version>_amd64.deb
# from the tree (the two programs only, not the tests), checks its AppStream
# metadata as installed and the whole package with lintian (no error, no
# warning), and prints the package's path and its Depends line.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh >&2
# Debian's own package checker, needed here only.
if [[ $(dpkg-query -W -f='${Status}' lintian 2>/dev/null || true) != "install ok installed" ]]; then
  sudo=()
  [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  echo "正在安装 lintian" >&2
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends lintian >&2 \
    || { "${sudo[@]}" apt-get update -q >&2 && DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q \
           --no-install-recommends lintian >&2; }
fi
./scripts/build.sh zorvane-picker zorvane-picker-batch >&2
out=build/package
rm -rf "$out"
cpack --config build/CPackConfig.cmake -B "$out" >&2
debs=("$out"/zorvane-picker_*_amd64.deb)
deb=${debs[0]}

# Checked as the package lays it out: the metadata, and the desktop entry and
# icon it names.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml >&2
appstreamcli validate-tree --no-net "$tree" >&2

# An error or a warning fails the script (none is overridden).
lintian --fail-on error,warning "$deb" >&2

echo "Depends: $(dpkg-deb -f "$deb" Depends)" >&2
echo "$deb"
