#!/bin/sh
# The version is written in four places; a release that bumps one must bump them all.
set -eu
version=${1:?usage: versions-agree.sh VERSION SOURCE_FOLDER}
source=${2:?usage: versions-agree.sh VERSION SOURCE_FOLDER}
status=0
check() {
    if [ "$2" != "$version" ]; then
        echo "$1 says ${2:-nothing}, the build says $version" >&2
        status=1
    fi
}
check debian/changelog "$(sed -n '1s/^orlix (\([^)-]*\).*/\1/p' "$source/debian/changelog")"
check metainfo "$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
    "$source/packaging/co.corvendal.Orlix.metainfo.xml" | head -n 1)"
check "manual page" "$(sed -n 's/^\.TH .*"Orlix \([^"]*\)".*/\1/p' "$source/packaging/orlix.1")"
exit $status
