#!/bin/sh
# Runs one fuzz target for a bounded time: run-fuzzer.sh BUILD_DIR TARGET SECONDS [libFuzzer options]
# It starts from the seeds in tests/fuzz/corpus/TARGET and keeps what it learns in
# BUILD_DIR/fuzz-corpus/TARGET (the seeds are never changed). Any crash, leak, hang or excess
# memory fails the run, and the input that did it is left in BUILD_DIR/fuzz-artifacts/TARGET/.
# An input counts as a hang after 20 seconds: Zopfli alone takes seconds on a megapixel.
set -eu
if [ $# -lt 3 ]; then
    echo "usage: $0 BUILD_DIR TARGET SECONDS [libFuzzer options]" >&2
    exit 2
fi
build=$1
target=$2
seconds=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
program="$build/fuzz/$target"
if [ ! -x "$program" ]; then
    echo "no fuzz target '$target' in $build/fuzz" >&2
    exit 2
fi
corpus="$build/fuzz-corpus/$target"
artifacts="$build/fuzz-artifacts/$target"
mkdir -p "$corpus" "$artifacts"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec "$program" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" "$corpus" "$here/corpus/$target"
