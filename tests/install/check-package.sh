#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Checks a built Debian package without installing it on this machine: lintian finds no error
# in it, apt resolves its dependencies, its AppStream metadata validates, and its files,
# unpacked into a scratch root, hold programs that start and find the files beside them.
set -euo pipefail
deb=$(readlink -f "$1")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

echo "== $deb"
dpkg-deb --field "$deb" Package Version Depends Recommends
apt-get install --simulate --no-install-recommends -qq "$deb" > "$root/apt.log" || {
    cat "$root/apt.log"; echo "check-package: apt cannot install the package" >&2; exit 1; }

# Warnings are shown; each one left is explained in the package's lintian overrides.
lintian --fail-on error "$deb" || { echo "check-package: lintian finds errors" >&2; exit 1; }

dpkg-deb -x "$deb" "$root"
# The AppStream files, each beside the desktop entry of its id.
appstreamcli validate-tree --no-net "$root" || {
    echo "check-package: the AppStream metadata does not validate" >&2; exit 1; }
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[ ${#metainfo[@]} -eq 3 ] || { echo "check-package: ${#metainfo[@]} AppStream files, not 3" >&2; exit 1; }
for file in "${metainfo[@]}"; do
    id=$(basename "$file" .metainfo.xml)
    [ -f "$root/usr/share/applications/$id.desktop" ] || {
        echo "check-package: no desktop entry $id.desktop" >&2; exit 1; }
done
programs="$root/usr/lib/kest"
for file in kest glowra glowrad procwarden glowrad.sch ezx_kest_lang.cfg applist.txt alert.png; do
    [ -f "$programs/$file" ] || { echo "check-package: $file is missing" >&2; exit 1; }
done
for file in usr/bin/kest usr/bin/glowra usr/bin/glowrad usr/bin/procwarden usr/sbin/ambid \
            usr/lib/systemd/system/ambid.service usr/lib/systemd/user/glowrad@.service \
            usr/share/doc/kest/copyright usr/share/doc/kest/changelog.Debian.gz \
            usr/share/man/man8/ambid.8.gz; do
    [ -e "$root/$file" ] || { echo "check-package: /$file is missing" >&2; exit 1; }
done
# The start scripts and units name the installed folder, not the build's.
grep -q 'exec "/usr/lib/kest/kest"' "$root/usr/bin/kest"
grep -q '^ExecStart=/usr/lib/kest/glowrad %i$' "$root/usr/lib/systemd/user/glowrad@.service"
grep -q '^Path=/usr/lib/kest$' "$root"/usr/share/applications/*.procwarden.desktop

# The programs themselves, started by their full paths in the unpacked tree.
export EZX_ROOT="$root/phone" EZX_LIGHTS="sim:$root/lights.log" QT_QPA_PLATFORM=offscreen
mkdir -p "$EZX_ROOT"
[ "$("$programs/kest" --help 2>/dev/null | tr -d '\r')" = "$(printf 'Kest1.04\nKest1.04')" ]
"$programs/glowrad" 2 d | grep -qx "Showing demo"
grep -q '^/dev/fb0 0x461b' "$root/lights.log"
"$programs/glowra" --help | grep -q "glowra.conf"
(cd "$programs" && ./procwarden --help | grep -q applist.txt)
[ "$("$programs/glowra" --version)" = "glowra $(dpkg-deb --field "$deb" Version | sed 's/-[^-]*$//')" ]
status=0; "$root/usr/sbin/ambid" -h 2> /dev/null || status=$?
[ "$status" -eq 1 ]
echo "check-package: $(basename "$deb") is fine"
