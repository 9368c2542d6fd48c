#!/usr/bin/env bash
# The Debian package, made from the built tree:
#   package-test.sh build BUILD_DIR OUT   cpack into OUT (no second build)
#   package-test.sh lintian OUT           lintian finds no error (warnings shown)
#   package-test.sh install OUT           installs into a scratch root with dpkg,
#                                         checks the files, removes it, checks that nothing is left
# Exit 77: a tool the check needs is not installed (the test is then skipped).
set -euo pipefail
mode=$1
out=${*: -1}
deb() { ls "$out"/corvane_*.deb; }
need() { command -v "$1" >/dev/null || { echo "SKIPPED: $1 is not installed (apt-get install $2)"; exit 77; }; }

case $mode in
build)
    rm -rf "$out" && mkdir -p "$out"
    cpack -G DEB --config "$2/CPackConfig.cmake" -B "$out" >"$out/cpack.log" || { cat "$out/cpack.log"; exit 1; }
    deb
    ;;
lintian)
    need lintian lintian
    rc=0
    lintian --fail-on error --info "$(deb)" >"$out/lintian.log" 2>&1 || rc=$?
    # Root is how CI runs; lintian only warns about it.
    grep -v 'running with root privileges' "$out/lintian.log" || true
    exit $rc
    ;;
install)
    root=$out/root
    rm -rf "$root" && mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/status"
    dpkg=(dpkg --root="$root" --log=/dev/null --force-not-root --force-depends)
    "${dpkg[@]}" --install "$(deb)" >"$out/dpkg.log" 2>&1 || { cat "$out/dpkg.log"; exit 1; }
    expected="/usr/games/corvane
/usr/share/applications/corvane.desktop
/usr/share/doc/corvane/changelog.gz
/usr/share/doc/corvane/copyright
/usr/share/icons/hicolor/128x128/apps/corvane.png
/usr/share/icons/hicolor/256x256/apps/corvane.png
/usr/share/icons/hicolor/48x48/apps/corvane.png
/usr/share/man/man6/corvane.6.gz
/usr/share/man/pt_BR/man6/corvane.6.gz
/usr/share/metainfo/org.corvane.corvane.metainfo.xml"
    files=$("${dpkg[@]}" --listfiles corvane | while read -r f; do [ -d "$root$f" ] || echo "$f"; done | sort)
    if [ "$files" != "$expected" ]; then
        echo "installed files differ from the expected ones:"
        diff <(echo "$expected") <(echo "$files") || true
        exit 1
    fi
    [ -x "$root/usr/games/corvane" ] || { echo "/usr/games/corvane is not executable"; exit 1; }
    for gz in "$root"/usr/share/man/man6/corvane.6.gz "$root"/usr/share/man/pt_BR/man6/corvane.6.gz \
        "$root"/usr/share/doc/corvane/changelog.gz; do
        gzip -t "$gz"
    done
    # The desktop entry, the software-centre entry and the icons agree with each other.
    if command -v appstreamcli >/dev/null; then appstreamcli validate-tree --no-net "$root/usr"; fi
    "${dpkg[@]}" --purge corvane >"$out/dpkg.log" 2>&1 || { cat "$out/dpkg.log"; exit 1; }
    left=$(cd "$root" && find . -mindepth 1 -not -path './var/lib/dpkg*' -not -path './var' -not -path './var/lib')
    if [ -n "$left" ]; then
        echo "left after removal:"
        echo "$left"
        exit 1
    fi
    echo "installed and removed cleanly"
    ;;
esac
