#!/usr/bin/env bash
# Vorin 99 as a user installs it: the desktop entry and the AppStream
# description validate; the Debian package builds from the build directory,
# holds both programs and what a desktop needs, names its Qt libraries as
# dependencies that apt can meet here; and both programs start from the
# unpacked package: vorin-report --version, and vorin99 on a virtual display
# until its main window is mapped, with a folder as a drive and a message box
# for a folder that is not there.
#
#   check-package.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build="$1"
source="$2"
version="$3"

fail() { echo "FAIL: $*" >&2; exit 1; }
# shellcheck source=../common/xvfb.sh
source "$(dirname "$0")/../common/xvfb.sh"

for tool in desktop-file-validate appstreamcli cpack dpkg-deb dpkg-shlibdeps apt-get Xvfb \
            xwininfo; do
    command -v "$tool" > /dev/null || fail "$tool is missing: run tools/install-deps.sh"
done

work="$(mktemp -d /tmp/vorin-package-XXXXXX)"
program="" xvfb=""
cleanup() {
    [ -z "$program" ] || kill "$program" 2> /dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# The programs keep their scans in a history of the test's own, never the user's.
export XDG_DATA_HOME="$work/data"

# Validators print hints as well as errors; a clean file gets no word at all.
out="$(desktop-file-validate "$source/src/shell/vorin99.desktop" 2>&1)" ||
    fail "desktop entry: $out"
[ -z "$out" ] || fail "desktop entry: $out"
appstreamcli validate --no-net "$source/src/shell/vorin99.metainfo.xml" > "$work/appstream" 2>&1 ||
    fail "metainfo: $(cat "$work/appstream")"

# The package, from what the build directory holds.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" > "$work/cpack" 2>&1 ||
    fail "cpack: $(cat "$work/cpack")"
deb="$work/package/vorin99_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb: $(ls "$work/package")"

[ "$(dpkg-deb -f "$deb" Package)" = vorin99 ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
    [[ ", $depends," == *", $library "* ]] || fail "$library is not among the dependencies: $depends"
done

dpkg-deb -c "$deb" | awk '{print $NF}' > "$work/contents"
for file in ./usr/bin/vorin99 ./usr/bin/vorin-report ./usr/share/applications/vorin99.desktop \
            ./usr/share/metainfo/example.vorin_software.vorin99.metainfo.xml \
            ./usr/share/icons/hicolor/256x256/apps/vorin99.png \
            ./usr/share/icons/hicolor/scalable/apps/vorin99.svg; do
    grep -qxF -e "$file" "$work/contents" || fail "the package lacks $file"
done

# apt could install it here: every dependency can be met.
(cd "$work/package" && apt-get install --simulate --no-install-recommends "./$(basename "$deb")") \
    > "$work/apt" 2>&1 || fail "apt: $(cat "$work/apt")"
grep -qE '^Inst vorin99 |vorin99 is already the newest version' "$work/apt" ||
    fail "apt would not install it: $(cat "$work/apt")"

dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"
[ "$("$bin/vorin-report" --version)" = "vorin-report $version" ] || fail "vorin-report --version"
mkdir -p "$work/music/live"
printf 'abc' > "$work/music/live/a.mp3"
csv="$("$bin/vorin-report" --csv "$work/music")"
grep -qE $'^types,\\.MP3,[^,]*,1,3\r$' <<< "$csv" || fail "vorin-report --csv: $csv"

# vorin99 itself, with a folder and a folder that is not there. The windows
# must not read or write the settings of whoever runs this.
export XDG_CONFIG_HOME="$work/config"
unset QT_STYLE_OVERRIDE QT_QPA_PLATFORMTHEME
cat > "$work/run-program" <<'SCRIPT'
#!/usr/bin/env bash
# On the virtual display: starts vorin99, waits until its main window and
# then the message box are mapped, and ends it.
set -u
QT_QPA_PLATFORM=xcb "$1" "$2" "$2/not there" &
program=$!
mapped() { xwininfo -name "$1" 2> /dev/null | grep -q 'Map State: IsViewable'; }
main=no box=no
for _ in $(seq 300); do
    kill -0 "$program" 2> /dev/null || { echo "vorin99 ended by itself"; exit 1; }
    [ "$main" = yes ] || { mapped "Vorin 99" && main=yes; }
    [ "$box" = yes ] || { mapped "Error" && box=yes; }
    [ "$main" = yes ] && [ "$box" = yes ] && break
    sleep 0.1
done
kill "$program"
wait "$program" 2> /dev/null
echo "main window: $main, message box: $box"
[ "$main" = yes ] && [ "$box" = yes ]
SCRIPT
chmod +x "$work/run-program"
start_xvfb "$work" 1024x768x24
DISPLAY="$display" "$work/run-program" "$bin/vorin99" "$work/music" > "$work/x" 2>&1 ||
    fail "vorin99 from the package on $display: $(cat "$work/x")
the X server said: $(cat "$work/xvfb.log")"

cat "$work/x"
echo "Depends: $depends"
echo "package: ok ($(basename "$deb"), $(du -k "$deb" | cut -f1) KB)"
