#!/bin/sh
# The exit statuses are written twice, in the manual page and in README's reliability section, in
# the same words: a change to one must be made to the other. Both are read as "status: text"
# lines, without their markup.
set -eu
source=${1:?usage: exit-statuses-agree.sh SOURCE_FOLDER}

# Each .TP entry of EXIT STATUS: its .B line is the status, the lines after it the text.
manual=$(awk '
    /^\.SH/ { inside = ($0 == ".SH EXIT STATUS"); next }
    !inside { next }
    /^\.PP/ { inside = 0 }
    /^\.(TP|PP)/ { if (entry != "") print entry; entry = ""; status = 1; next }
    status { sub(/^\.B /, ""); entry = $0 ":"; status = 0; next }
    { entry = entry " " $0 }
    END { if (entry != "") print entry }
' "$source/packaging/orlix.1" | sed 's/\\f[BIR]//g; s/\\-/-/g')

# Each item of the list between the two markers.
readme=$(awk '
    /<!-- end of the exit statuses -->/ { inside = 0; if (entry != "") print entry; entry = "" }
    inside && /^ *- / { if (entry != "") print entry; sub(/^ *- /, ""); entry = $0; next }
    inside { sub(/^ */, ""); entry = entry " " $0 }
    /<!-- exit statuses:/ { inside = 1 }
' "$source/README.md" | sed 's/`//g')

normalised() {
    printf '%s\n' "$1" | tr -s ' '
}
if [ -z "$manual" ] || [ -z "$readme" ]; then
    echo "no exit statuses found in the manual page or in README" >&2
    exit 1
fi
if [ "$(normalised "$manual")" != "$(normalised "$readme")" ]; then
    echo "the manual page and README give different exit statuses:" >&2
    printf 'manual page:\n%s\nREADME:\n%s\n' "$manual" "$readme" >&2
    exit 1
fi
