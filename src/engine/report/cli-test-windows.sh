#!/usr/bin/env bash
# Runs the cross-built vorin-report.exe under Wine: the drive list names
# Wine's drives with their types, drive c: is reported as JSON, and a small
# tree made here, reached through Wine's drive z: (the Linux root), gives its
# figures and exit codes, its CSV table, and the drive it is named as; --help
# and --version answer.
set -euo pipefail
wine="$1"
report="$2"
tree="$(mktemp -d /tmp/vorin-report-win-XXXXXX)"
trap 'rm -rf "$tree"' EXIT
mkdir "$tree/sub" "$tree/.hidden-dir"
printf 'hello' > "$tree/a.txt"
truncate -s 20000 "$tree/sub/b.doc"
truncate -s 7 "$tree/.hidden-dir/never-counted"
windowsTree="Z:${tree//\//\\}"

fail() { echo "FAIL: $*" >&2; exit 1; }
run() { "$wine" "$report" "$@" 2>/dev/null | tr -d '\r'; }

drives="$(run --drives)"
grep -q $'^c: [^\t]*\tC:\\\\\t(Fixed disk)\t[0-9,.]* bytes\t[0-9,.]* bytes free$' <<<"$drives" ||
    fail "no fixed drive c: in: $drives"
grep -q $'^z: [^\t]*\tZ:\\\\\t' <<<"$drives" || fail "no drive z: in: $drives"

set +e
"$wine" "$report" --no-such-option "$windowsTree" >/dev/null 2>&1; status=$?
[ "$status" -eq 2 ] || fail "bad option gave exit status $status"
"$wine" "$report" "$windowsTree\\missing" >/dev/null 2>&1; status=$?
[ "$status" -eq 2 ] || fail "missing target gave exit status $status"
set -e

drive="$(run --json c:)"
tree_json="$(run --json --threads 2 "$windowsTree")"
if command -v python3 > /dev/null; then
    python3 - "$drive" "$tree_json" <<'PY' || fail "JSON: $drive / $tree_json"
import json, sys
drive = json.loads(sys.argv[1])
assert drive["filesProcessed"] > 0 and drive["complete"] is True, drive["filesProcessed"]
tree = json.loads(sys.argv[2])
assert tree["filesProcessed"] == 2, tree["filesProcessed"]
assert [t["key"] for t in tree["types"]] == [".DOC", ".TXT"], tree["types"]
assert tree["sizeBandBytes"][:2] == [5, 20000], tree["sizeBandBytes"]
assert tree["complete"] is True
PY
else
    case "$tree_json" in *'"filesProcessed":2,'*'"complete":true}'*) ;; *) fail "JSON: $tree_json" ;; esac
fi

help="$(run --help)" || fail "--help gave exit status $?"
for option in --json --csv --threads --include --exclude --drives --help --version 'Exit status:'; do
    grep -qF -e "$option" <<<"$help" || fail "--help does not name $option"
done
version="$(run --version)" || fail "--version gave exit status $?"
[[ "$version" =~ ^vorin-report\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version: $version"

# A directory is a drive of its own, labelled with its path; Wine's z: is the
# last letter, so it takes the lowest free one.
free=""
for letter in {c..z}; do
    if ! grep -q "^$letter: " <<<"$drives"; then free=$letter; break; fi
done
[ -n "$free" ] || fail "no free letter in: $drives"
text="$(run "$windowsTree")"
first="${text%%$'\n'*}"
[ "$first" = "Drives:  $free: [$windowsTree]" ] ||
    fail "the directory is named \"$first\", not $free: [$windowsTree]"

csv="$(run --csv "$windowsTree")"
expect() { grep -qxF -e "$1" <<<"$csv" || fail "CSV has no line $1: $csv"; }
expect 'table,key,label,files,bytes'
expect 'sizes,1,0 - 16K,1,5'
expect 'sizes,2,16K - 32K,1,20000'
grep -q '^types,\.DOC,' <<<"$csv" || fail "CSV has no .DOC type: $csv"
[ "$(wc -l <<<"$csv")" -eq $((1 + 2 + 12 + 30 + 144 + 4)) ] || fail "CSV lines: $csv"
echo "vorin-report.exe under Wine: ok"
