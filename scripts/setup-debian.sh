#!/usr/bin/env bash
# Installs the Debian packages the program, its tests, benchmarks and package need;
# only what is missing, so a second run is quick and needs no network.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-webengine-dev qt6-image-formats-plugins qt6-qpa-plugins
  qt6-translations-l10n libqt6webengine6-data
  libcpp-httplib-dev libssl-dev libxlsxwriter-dev libvips-dev libvips-tools googletest libgtest-dev libgmock-dev libbenchmark-dev
  curl xvfb xauth fonts-wqy-microhei python3-openpyxl openssl libnss3-tools
  appstream dpkg-dev
  dbus-daemon systemd
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "正在安装缺少的软件包: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "需要 root 权限安装: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
