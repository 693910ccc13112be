#!/usr/bin/env bash
# The repository's C++ sources in the layout its .clang-format gives.
#
#   bash tools/format.sh           # reformats every tracked .cpp and .h in place
#   bash tools/format.sh --check   # lists the files that differ; exits 1 when any does
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if [ "${1:-}" != --check ]; then
    printf '%s\n' $files | xargs clang-format -i
    exit 0
fi
bad=0
for f in $files; do
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f"
        bad=1
    fi
done
exit $bad
