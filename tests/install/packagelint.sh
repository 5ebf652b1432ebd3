#!/usr/bin/env bash
# Makes the Debian package of the build directory $1 as tools/package does
# and has lintian judge it: any error or warning fails.
set -euo pipefail
build=$1
if ! command -v lintian >/dev/null; then
    echo "SKIPPED: lintian is not installed (tools/setup installs it)"
    exit 77
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/plit_*.deb)
report=$(lintian --pedantic "$deb" 2>&1 | grep -v "running with root privileges" || true)
[[ -z "$report" ]] || echo "$report"
if grep -qE '^[EW]: ' <<<"$report"; then
    echo "lintian found errors or warnings in $(basename "$deb")"
    exit 1
fi
echo "lintian: $(basename "$deb") has no error and no warning"
