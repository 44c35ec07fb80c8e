#!/usr/bin/env bash
# Runs the built vorin-report on a small tree: exit codes, a one-line error,
# and JSON that parses with the figures of the tree.
set -euo pipefail
report="$1"
tree="$(mktemp -d /tmp/vorin-report-cli-XXXXXX)"
trap 'rm -rf "$tree"' EXIT
mkdir "$tree/sub" "$tree/.hidden-dir"
printf 'hello' > "$tree/a.txt"
truncate -s 20000 "$tree/sub/b.doc"
truncate -s 7 "$tree/.hidden-dir/never-counted"
printf 'x' > "$tree/$(printf 'bad\377name\nwith newline.TXT')"
ln "$tree/a.txt" "$tree/sub/a-again.txt"   # a second name of a.txt, not counted again

fail() { echo "FAIL: $*" >&2; exit 1; }

set +e
"$report" --no-such-option "$tree" 2> "$tree.err"; status=$?
set -e
[ "$status" -eq 2 ] || fail "bad option gave exit status $status"
[ "$(wc -l < "$tree.err")" -eq 1 ] || fail "bad option gave more than one line"
set +e
"$report" "$tree/missing" 2> "$tree.err"; status=$?
set -e
[ "$status" -eq 2 ] || fail "missing target gave exit status $status"
rm -f "$tree.err"

json="$(TZ=UTC "$report" --json "$tree")"
if command -v python3 > /dev/null; then
    python3 - "$json" <<'PY' || fail "JSON: $json"
import json, sys
d = json.loads(sys.argv[1])
assert d["filesProcessed"] == 3, d["filesProcessed"]
assert d["complete"] is True
assert d["hardLinksSkipped"] == 1, d["hardLinksSkipped"]
assert [t["key"] for t in d["types"]] == [".DOC", ".TXT"], d["types"]
assert [t["files"] for t in d["types"]] == [1, 2]
assert d["sizeBandCount"][:2] == [2, 1] and len(d["sizeBandCount"]) == 12
assert len(d["accessTimeSlots"]) == 48 and len(d["modifiedAgeBytes"]) == 10
PY
else
    case "$json" in *'"filesProcessed":3,'*'"hardLinksSkipped":1,"complete":true}'*) ;; *) fail "JSON: $json" ;; esac
fi
echo "vorin-report: ok"
