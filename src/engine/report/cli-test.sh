#!/usr/bin/env bash
# Runs the built vorin-report on a small tree: exit codes, a one-line error,
# JSON that parses with the figures of the tree, --help and --version, the
# CSV table, and the drive a directory is named as.
set -euo pipefail
report="$1"
tree="$(mktemp -d /tmp/vorin-report-cli-XXXXXX)"
trap 'rm -rf "$tree" "$tree.out" "$tree.err" "$tree.data"' EXIT
# Every scan here is kept in a history of the test's own, never the user's.
export XDG_DATA_HOME="$tree.data"
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
# --help and --version: standard output, nothing on standard error, status 0.
"$report" --help > "$tree.out" 2> "$tree.err" || fail "--help gave exit status $?"
[ ! -s "$tree.err" ] || fail "--help wrote to standard error"
for option in --json --csv --threads --include --exclude --merge --drives --help --version 'Exit status:' \
              '  130  interrupted'; do
    grep -qF -e "$option" "$tree.out" || fail "--help does not name $option"
done
version="$("$report" --version 2> "$tree.err")" || fail "--version gave exit status $?"
[ ! -s "$tree.err" ] || fail "--version wrote to standard error"
[[ "$version" =~ ^vorin-report\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version: $version"
set +e
"$report" --csv --json "$tree" > "$tree.out" 2> "$tree.err"; status=$?
set -e
[ "$status" -eq 2 ] && [ ! -s "$tree.out" ] && [ "$(wc -l < "$tree.err")" -eq 1 ] ||
    fail "--csv --json: status $status, output $(cat "$tree.out" "$tree.err")"

# A directory is named as the drive after the machine's last one, with its path.
last="$("$report" --drives | tail -n 1 | cut -c1)"
next="$(printf "\\$(printf '%03o' $(( $(printf '%d' "'$last") + 1 )))")"
real="$(cd "$tree" && pwd -P)"
first="$("$report" "$tree" | head -n 1)"
[ "$first" = "Drives:  $next: [$real]" ] || fail "the directory is named \"$first\", not $next: [$real]"

# CSV: a name with a comma and a quote in its extension, whose type the
# register does not know, so its description ("X,"Y File") has them too.
csvtree="$tree/csv"
mkdir "$csvtree"
printf '12345' > "$csvtree/say \"hi\", bob.x,\"y"
printf '1' > "$csvtree/n.txt"
csv="$(TZ=UTC "$report" --csv "$csvtree")"
crlf=$'\r'
expect() {
    grep -qxF -e "$1$crlf" <<< "$csv" || fail "CSV has no line $1: $csv"
}
expect 'table,key,label,files,bytes'
expect 'types,".X,""Y","X,""Y File",1,5'
expect 'sizes,1,0 - 16K,2,6'
expect 'attributes,hidden,Hidden,0,0'
[ "$(wc -l <<< "$csv")" -eq $((1 + 2 + 12 + 30 + 144 + 4)) ] || fail "CSV lines: $csv"
# --files: the files behind one figure agree with the tables' figures; the
# 200 largest by default, every one with --all.
filetree="$tree/files"
mkdir "$filetree"
for i in $(seq 1 205); do truncate -s "$i" "$filetree/n$i.dat"; done
printf 'x' > "$filetree/$(printf 'odd\377\nname.dat')"
truncate -s 70000 "$filetree/disc.iso"
tables="$(TZ=UTC "$report" --csv "$filetree")"
figure() { grep -F -e "$1" <<< "$tables" | cut -d, -f4,5 | tr -d '\r'; }
[ "$(figure 'types,.DAT,')" = "206,21116" ] || fail "types .DAT: $(figure 'types,.DAT,')"
listed="$(TZ=UTC "$report" --files types:.dat --csv "$filetree")"
[ "$(head -n 1 <<< "$listed")" = "path,bytes,modified,accessed,created,attributes$crlf" ] ||
    fail "--files CSV heading: $(head -n 1 <<< "$listed")"
[ "$(grep -c "$crlf\$" <<< "$listed")" -eq 201 ] || fail "--files kept $(wc -l <<< "$listed") lines"
grep -qF "$filetree/n205.dat,205,"  <<< "$listed" || fail "--files lacks the largest: $listed"
all="$(TZ=UTC "$report" --files types:.DAT --all --json "$filetree")"
if command -v python3 > /dev/null; then
    python3 - "$all" "$filetree" <<'PY' || fail "--all JSON: $all"
import json, sys
d = json.loads(sys.argv[1])
assert d["figure"] == "types:.DAT" and d["files"] == 206 and d["bytes"] == 21116, d
assert d["complete"] is True and len(d["list"]) == 206
assert d["list"][0]["path"] == sys.argv[2] + "/n205.dat" and d["list"][0]["bytes"] == 205
assert any(f["path"].endswith("/odd\u00ff\nname.dat") for f in d["list"]), d["list"][-1]
PY
fi
iso="$(TZ=UTC "$report" --files types:.iso "$filetree" | head -n 1)"
[ "$iso" = "types:.ISO: 1 files (70,000 bytes)" ] || fail "--files table: $iso"
set +e
"$report" --files sizes:13 "$filetree" > "$tree.out" 2> "$tree.err"; status=$?
set -e
[ "$status" -eq 2 ] && [ ! -s "$tree.out" ] && [ "$(wc -l < "$tree.err")" -eq 1 ] &&
    grep -qF 'attributes:readOnly|hidden|system|archive' "$tree.err" ||
    fail "--files sizes:13: status $status, $(cat "$tree.out" "$tree.err")"

# The history: every complete scan of a drive is kept; --no-history keeps
# nothing; --compare prints each figure then and now.
rm -rf "$XDG_DATA_HOME"
history=$(mktemp -d /tmp/vorin-report-history-XXXXXX)
trap 'rm -rf "$tree" "$tree.out" "$tree.err" "$tree.data" "$history"' EXIT
printf 'abc' > "$history/one.txt"
"$report" --csv "$history" > /dev/null
"$report" --no-history "$history" > /dev/null
[ -s "$XDG_DATA_HOME/vorin99/history.sqlite" ] || fail "no history in $XDG_DATA_HOME"
kept="$("$report" --history --csv "$history")"
[ "$(grep -c "$crlf\$" <<< "$kept")" -eq 2 ] || fail "--history: $kept"
printf 'grown' >> "$history/one.txt"
truncate -s 5000 "$history/new.iso"
compared="$("$report" --compare previous --csv "$history")"
row() { grep -F -e "$1" <<< "$compared" | cut -d, -f4- | tr -d '\r'; }
[ "$(head -n 1 <<< "$compared")" = "table,key,label,files,bytes,files_before,bytes_before$crlf" ] ||
    fail "--compare heading: $(head -n 1 <<< "$compared")"
[ "$(row 'types,.TXT,')" = "1,8,1,3" ] || fail "--compare .TXT: $(row 'types,.TXT,')"
[ "$(row 'types,.ISO,')" = "1,5000,," ] || fail "--compare .ISO: $(row 'types,.ISO,')"
first="$(cut -d, -f1 <<< "$kept" | sed -n 2p)"
[ "$(TZ=UTC "$report" --compare "$first" --no-history "$history" | grep -F '.ISO (new)' |
     tr -s ' ')" = ".ISO (new) 1 +1 5,000 +5,000" ] || fail "--compare $first as text"
[ "$("$report" --history --csv "$history" | grep -c "$crlf\$")" -eq 3 ] ||
    fail "--compare kept its own scan, --no-history none"
set +e
"$report" --compare 9999 "$history" > "$tree.out" 2> "$tree.err"; status=$?
set -e
[ "$status" -eq 2 ] && [ ! -s "$tree.out" ] && grep -qF 'No scan 9999 is kept' "$tree.err" ||
    fail "--compare 9999: status $status, $(cat "$tree.out" "$tree.err")"
echo "vorin-report: ok"
