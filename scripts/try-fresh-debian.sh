#!/usr/bin/env bash
# Tries the Debian package on a fresh Debian 12 as a user would: makes a
# minimal root with debootstrap in build/fresh-root, installs the package there
# with apt-get (which brings every dependency), runs both programs, removes the
# package again and checks that nothing of it is left but the user's data.
# The programs run without network (a network namespace of their own with
# only the loopback), as on a machine that cannot reach the marketplace.
# Needs root, Debian's mirror, about 2 GB of disk and 15 minutes; apt's
# output goes to build/fresh-root.log.
# Usage: scripts/try-fresh-debian.sh [PACKAGE.deb]   (default: build it)
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $(id -u) -eq 0 ]] || { echo "需要 root 权限(debootstrap、chroot、mount)" >&2; exit 1; }

deb=$(realpath "${1:-$(./scripts/package-deb.sh)}")
name=$(basename "$deb")
version=$(dpkg-deb -f "$deb" Version)
root=$PWD/build/fresh-root
cache=$PWD/build/debootstrap-cache
log=$PWD/build/fresh-root.log
before=$PWD/build/fresh-root-packages.txt
files=$PWD/build/fresh-root-files.txt
demo_out=$PWD/build/fresh-root-demo.txt
mirror=http://deb.debian.org/debian
: >"$log"

say() { echo "== $*"; }
fail() {
  echo "失败: $*" >&2
  exit 1
}

# What the chroot's processes see: a clean environment, root's home.
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}
# The same without network.
offline() {
  unshare --net sh -c 'ip link set lo up && exec "$@"' sh \
    chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 "$@"
}
# As root in a chroot Chromium's sandbox cannot start, and there is no
# display: both belong to this test, not to the program.
web_env=(QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1)

mounts_below_root() { awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/self/mounts | sort -r; }
release_root() {
  # Whatever still runs in the root (a daemon a dependency started) is ours.
  local p
  for p in /proc/[0-9]*; do
    [[ $(readlink "$p/root" 2>/dev/null) == "$root" ]] && kill -KILL "${p#/proc/}" 2>/dev/null
  done
  local m
  for m in $(mounts_below_root); do
    umount "$m" || umount -l "$m"
  done
}
trap release_root EXIT

say "全新的 Debian 12: $root"
release_root
[[ -z $(mounts_below_root) ]] || fail "$root 下仍有挂载点"
rm -rf --one-file-system "$root"
mkdir -p "$cache"
debootstrap --variant=minbase --cache-dir="$cache" bookworm "$root" "$mirror" >>"$log" 2>&1 ||
  fail "debootstrap 失败,见 $log"
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
# A chroot has no init: services that dependencies bring are not started.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount -t tmpfs -o mode=1777 shm "$root/dev/shm"

in_root dpkg-query -W -f='${Package}\n' | sort >"$before"
say "apt-get install ./$name"
cp "$deb" "$root/tmp/"
{ in_root apt-get update && in_root sh -c "cd /tmp && apt-get install -y ./$name"; } >>"$log" 2>&1 ||
  fail "安装失败,见 $log"
rm "$root/tmp/$name"
say "随软件包安装了 $(($(in_root dpkg-query -W -f='${Package}\n' | wc -l) - $(wc -l <"$before"))) 个软件包"
in_root dpkg -L zorvane-picker >"$files"

for program in zorvane-picker zorvane-picker-batch; do
  answer=$(offline $program --version) || fail "$program --version 失败"
  [[ $answer == "$program $version" ]] || fail "$program --version 显示 \"$answer\",软件包版本为 $version"
  say "$program --version: $answer"
done

say "zorvane-picker-batch --demo(无窗口、无网络)"
set +e
offline "${web_env[@]}" zorvane-picker-batch --demo >"$demo_out" 2>&1
code=$?
set -e
tail -n 3 "$demo_out"
((code == 0)) || fail "演示的退出码为 $code,输出见 $demo_out"
# Every item the runner named is in the downloaded list with a folder of its
# own; none is left pending or sent back to the address box.
list_section() { iconv -f GB18030 -t UTF-8 "$1" | tr -d '\r' | awk -v s="<$2>" '/^<.*>$/ { on = ($0 == s); next } on && NF'; }
demo=$root/tmp/zorvane-picker-demo
items=$(grep -o 'http://detail\.zorvane\.com/offer/[0-9]*\.html' "$demo_out" | sort -u)
count=$(wc -l <<<"$items")
downloaded=$(list_section "$demo/listdata.txt" AlreadyDownedList)
pending=$(list_section "$demo/listdata.txt" readyDownList | wc -l)
returned=$(list_section "$demo/listdata.txt" AddUrlText | grep -cFf <(echo "$items") || true)
collected=$(awk -F'|' '{ print $NF }' <<<"$downloaded" | sort -u | comm -12 - <(echo "$items") | wc -l)
folders=$(find "$demo/图片" -mindepth 2 -maxdepth 2 -name 宝贝基本信息.txt | wc -l)
pictures=$(find "$demo/图片" -name '*.jpg' | wc -l)
((count > 0 && collected == count && folders == count && pending == 0 && returned == 0)) ||
  fail "演示: 宝贝 $count 个,已下载 $collected、宝贝目录 $folders、待下载 $pending、退回 $returned"
say "演示: $count 个宝贝全部采集,$folders 个宝贝目录,$pictures 张图片,退出码 0"

say "用户的列表和设置: zorvane-picker-batch --save-folder … --add …(无网络,检测网络失败后保存列表)"
address=http://detail.zorvane.com/offer/23.html
set +e
offline "${web_env[@]}" zorvane-picker-batch --save-folder /root/宝贝图片 --add "$address|货号23" >>"$log" 2>&1
code=$?
set -e
((code == 2)) || fail "检测网络失败时退出码应为 2,实为 $code"
data=$root/root/.local/share/zorvane-picker
list_section "$data/listdata.txt" readyDownList | grep -xF "货号23|$address" >/dev/null ||
  fail "$data/listdata.txt 的待下载列表中没有 $address"
iconv -f GB18030 -t UTF-8 "$data/config.ini" | grep -F /root/宝贝图片 >/dev/null || fail "$data/config.ini 中没有保存目录"
in_root dpkg --verify zorvane-picker || fail "程序改动了软件包中的文件"
say "列表和设置在 ~/.local/share/zorvane-picker: $(ls "$data" | tr '\n' ' ')"

say "apt-get purge --autoremove zorvane-picker"
in_root apt-get purge -y --autoremove zorvane-picker >>"$log" 2>&1 || fail "卸载失败,见 $log"
left=$(in_root dpkg-query -W -f='${db:Status-Abbrev}${Package}\n' | grep -v '^ii' || true)
[[ -z $left ]] || fail "未完全卸载的软件包: $left"
removable=$(in_root apt-get autoremove --dry-run | grep '^Remv' || true)
[[ -z $removable ]] || fail "卸载后仍有可自动删除的依赖: $removable"
# Dependencies that a package of the fresh root recommends or suggests too
# (apt recommends ca-certificates) stay, as apt keeps them on any system.
kept=$(in_root dpkg-query -W -f='${Package}\n' | sort | comm -13 "$before" - | tr '\n' ' ')
while read -r file; do
  [[ -e $root$file && ! -d $root$file ]] && fail "卸载后仍在: $file"
done <"$files"
stray=$(find "$root" -xdev -iname '*zorvane*' \
  -not -path "$root/root/.local/share/zorvane-picker*" -not -path "$root/tmp/zorvane-picker-demo*")
[[ -z $stray ]] || fail "卸载后仍在: ${stray//$root/}"
say "卸载后: 软件包的文件和只为它安装的依赖都已删除,留下的只有用户数据"
[[ -z $kept ]] || say "   apt 保留的依赖(系统中原有的软件包也推荐它们): $kept"
say "   $(cd "$root" && find root/.local/share/zorvane-picker tmp/zorvane-picker-demo -maxdepth 1 | sed 's|^|/|' | tr '\n' ' ')"
echo "通过: $name 在全新的 Debian 12 上安装、运行、卸载"
