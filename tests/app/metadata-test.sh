#!/usr/bin/env bash
# The desktop entry and the software-centre entry:
#   metadata-test.sh validate SOURCE_DIR BINARY_DIR          both validators accept them
#   metadata-test.sh agree SOURCE_DIR BINARY_DIR VERSION     they, the changelog and the
#       manual pages tell the same version and categories, and the screenshots exist
# Exit 77: a validator is not installed (the test is then skipped).
set -euo pipefail
mode=$1
src=$2/app
bin=$3/app
metainfo=$(ls "$bin"/*.metainfo.xml)
fail() { echo "$*"; exit 1; }

case $mode in
validate)
    for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream; do
        command -v "${tool%%:*}" >/dev/null ||
            { echo "SKIPPED: ${tool%%:*} is not installed (apt-get install ${tool#*:})"; exit 77; }
    done
    desktop-file-validate "$src/corvane.desktop"
    appstreamcli validate --no-net "$metainfo"
    ;;
agree)
    version=$4
    newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
    [ "$newest" = "$version" ] || fail "newest release in the metainfo is '$newest', the program is $version"
    changelog=$(head -1 "$src/package/changelog" | sed -n 's/^corvane (\([^)]*\)).*/\1/p')
    [ "$changelog" = "$version" ] || fail "the changelog's newest entry is '$changelog', the program is $version"
    for page in "$src"/man/*.6; do
        grep -q "^\.TH CORVANE 6 .*\"Corvane $version\"" "$page" || fail "$page does not name Corvane $version"
    done
    desktop=$(sed -n 's/^Categories=//p' "$src/corvane.desktop" | tr ';' ' ' | xargs)
    listed=$(grep -o '<category>[^<]*' "$metainfo" | cut -d'>' -f2 | xargs)
    [ "$desktop" = "$listed" ] || fail "categories differ: desktop entry '$desktop', metainfo '$listed'"
    shots=$(grep -o '<image[^>]*>[^<]*' "$metainfo" | sed 's/.*>//')
    [ -n "$shots" ] || fail "the metainfo names no screenshot"
    for url in $shots; do
        png=$bin/screenshots/$(basename "$url")
        [ "$(head -c 8 "$png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
            fail "$png, named in the metainfo, is not a PNG picture made by the build"
    done
    echo "version $version, categories and screenshots agree"
    ;;
esac
