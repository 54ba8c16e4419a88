# Sourced by the test scripts. require_programs COMMAND:PACKAGE...: fails at once, naming each
# missing program's Debian package, before a script starts anything it would leave half done.
# `make test` installs every such package; .ci/check-test-packages checks that the lists are
# whole.
require_programs() {
    missing=
    for required in "$@"; do
        command -v "${required%%:*}" >/dev/null 2>&1 ||
            missing="$missing ${required%%:*} (Debian package ${required#*:})"
    done
    if [ -n "$missing" ]; then
        echo "$(basename "$0"): missing programs:$missing; \`make test\` installs them" >&2
        exit 1
    fi
}
