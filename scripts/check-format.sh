#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes of it (.clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
while IFS= read -r f; do
    if ! clang-format "$f" | cmp -s - "$f"; then
        echo "not formatted: $f (clang-format -i $f)"
        status=1
    fi
done < <(git ls-files '*.cpp' '*.h')
exit $status
