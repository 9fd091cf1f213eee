#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a built Release folder and checks it: the control fields
# and Depends (dpkg-deb -I), the files it lays out (dpkg-deb -c), then unpacks it into a
# scratch root (dpkg -x) and runs the programs from there, validates the desktop entry and
# the MIME type, and lets apt simulate installing it.
#   scripts/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: check-package.sh BUILD_DIR}" && pwd)
failures=0
fail() { echo "check-package: $*" >&2; failures=$((failures + 1)); }

cd "$build"
rm -f pontra_*.deb
if ! cpack -G DEB > cpack.log 2>&1; then
    cat cpack.log >&2
    echo "check-package: cpack failed" >&2
    exit 1
fi
debs=(pontra_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "check-package: no single pontra_*.deb" >&2; exit 1; }
deb=$build/${debs[0]}
gui=$(grep -q '^PONTRA_BUILD_GUI:BOOL=ON' CMakeCache.txt && [ -x src/gui/pontra ] && echo yes || echo no)
help=$([ -f src/gui/Pontra.pdf ] && echo yes || echo no)

# Control fields.
control=$(dpkg-deb -f "$deb")
for field in Package Version Architecture Maintainer Section Description Depends; do
    grep -q "^$field: ." <<<"$control" || fail "control field $field missing"
done
grep -q '^Package: pontra$' <<<"$control" || fail "package is not named pontra"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
if [ "$gui" = yes ]; then
    grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks Qt 6 Widgets: $depends"
fi

# Contents.
contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
expected=(
    ./usr/bin/pontra-cli ./usr/bin/pontra-sim
    ./usr/share/applications/pontra.desktop
    ./usr/share/icons/hicolor/scalable/apps/pontra.svg
    ./usr/share/mime/packages/pontra.xml
    ./usr/share/man/man1/pontra-cli.1.gz ./usr/share/man/man1/pontra-sim.1.gz
    ./usr/share/pontra/examples/conveyor_zone.txt ./usr/share/pontra/examples/speed_ramp.txt
    ./usr/share/doc/pontra/copyright
)
[ "$gui" = yes ] && expected+=(./usr/bin/pontra)
[ "$help" = yes ] && expected+=(./usr/share/doc/pontra/Pontra.pdf)
for path in "${expected[@]}"; do
    grep -qx -- "$path" <<<"$contents" || fail "the package lacks $path"
done

# Unpacked into a scratch root: the programs run from there (the core is linked in).
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
cli=$root/usr/bin/pontra-cli
if "$cli" --version > "$root/version.txt" 2>&1; then
    grep -q 'GPL-3.0-or-later' "$root/version.txt" || fail "pontra-cli --version names no licence"
elif "$cli" --help > /dev/null 2>&1; then
    echo "check-package: pontra-cli has no --version yet; --help ran"
else
    fail "the packaged pontra-cli does not run"
fi
"$root/usr/bin/pontra-sim" --version | grep -q 'GPL-3.0-or-later' || fail "pontra-sim --version names no licence"
"$cli" dump --new > "$root/new.json" || fail "the packaged pontra-cli cannot dump a new project"
for page in pontra-cli pontra-sim; do
    gzip -t "$root/usr/share/man/man1/$page.1.gz" || fail "man page of $page is damaged"
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.SH NAME' || fail "man page of $page has no NAME"
done
desktop-file-validate "$root/usr/share/applications/pontra.desktop" || fail "desktop entry does not validate"
python3 -c 'import sys, xml.dom.minidom as m; d = m.parse(sys.argv[1]); t = d.getElementsByTagName("mime-type")[0]; \
assert t.getAttribute("type") == "application/x-pontra-project"; \
assert any(g.getAttribute("pattern") == "*.clp" for g in d.getElementsByTagName("glob"))' \
    "$root/usr/share/mime/packages/pontra.xml" || fail "MIME type of .clp files is not registered"
grep -q '^MimeType=application/x-pontra-project;' "$root/usr/share/applications/pontra.desktop" ||
    fail "the desktop entry does not open .clp files"

# apt resolves the Depends on this system (a simulation: nothing is installed).
if command -v apt-get > /dev/null; then
    apt-get install --simulate --no-install-recommends "$deb" > "$root/apt.txt" 2>&1 ||
        { cat "$root/apt.txt" >&2; fail "apt cannot install the package"; }
fi

size=$(stat -c %s "$deb")
if [ "$failures" -gt 0 ]; then
    echo "check-package: $failures problem(s) in $(basename "$deb")" >&2
    exit 1
fi
echo "check-package: $(basename "$deb") ($((size / 1024)) KiB) OK; Depends: $depends"
