#!/usr/bin/env bash
# Installs the Debian packages that building and testing Vorin 99 needs, and
# generates the locales whose number formats the tests read; only what is
# missing. Needs root, or sudo without a password prompt.
#   --core-only  the core alone, without Qt
#   --windows    the cross build of the core for Windows and Wine to test it:
#                MinGW-w64's 64-bit C++ compiler with POSIX threads (which
#                std::thread needs), wine64, and GoogleTest's sources
set -euo pipefail

core_packages=(g++ cmake ninja-build make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
               libsqlite3-dev
               # vorin-report-mpi and its test; the rest of the build does without
               libopenmpi-dev openmpi-bin
               shared-mime-info locales)
gui_packages=(qt6-base-dev libgl-dev fonts-liberation fonts-dejavu-core xvfb xauth
              # The package test: validators, the Debian package's dependencies,
              # and the window check on the virtual display.
              desktop-file-utils appstream dpkg-dev x11-utils
              # The AT-SPI test: a private session bus (dbus-run-session),
              # the accessibility bus and the Python client that drives the program.
              dbus-daemon dbus-bin at-spi2-core python3-pyatspi)
windows_packages=(cmake ninja-build make googletest g++-mingw-w64-x86-64-posix wine64)

# As /etc/locale.gen lists them: name, then character set. The French one in
# ISO-8859-1 checks that separators arrive as UTF-8 from another character set.
test_locales=("de_DE.UTF-8 UTF-8" "fr_FR.UTF-8 UTF-8" "fr_FR ISO-8859-1" "en_US.UTF-8 UTF-8")

packages=("${core_packages[@]}")
case "${1:-}" in
--core-only) ;;
--windows)
    packages=("${windows_packages[@]}")
    test_locales=() # the Windows locales come with Wine
    ;;
*) packages+=("${gui_packages[@]}") ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

# `locale -a` names "de_DE.UTF-8" as de_DE.utf8: the character set in lower
# case without punctuation.
locale_installed() {
    local name=$1 normalized=$1
    if [[ $name == *.* ]]; then
        local codeset=${name#*.}
        codeset=${codeset,,}
        normalized="${name%%.*}.${codeset//[^a-z0-9]/}"
    fi
    command -v locale >/dev/null 2>&1 &&
        locale -a 2>/dev/null | grep -qxF -e "$name" -e "$normalized"
}

missing_locales=()
for entry in "${test_locales[@]+"${test_locales[@]}"}"; do
    if ! locale_installed "${entry%% *}"; then
        missing_locales+=("$entry")
    fi
done

[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
elif [ ${#missing[@]} -gt 0 ]; then
    echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
else
    echo "Neither root nor sudo is available to generate these locales:" >&2
    printf '  %s\n' "${missing_locales[@]}" >&2
    echo "The tests of their number formats will be skipped." >&2
    exit 0
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${as_root[@]}" apt-get update -q
    "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ ${#missing_locales[@]} -gt 0 ]; then
    # Listed in /etc/locale.gen, so that a later locale-gen (an upgrade of the
    # locales package runs one) keeps them.
    for entry in "${missing_locales[@]}"; do
        pattern="^# *${entry//./\\.}\$"
        if grep -q "$pattern" /etc/locale.gen 2>/dev/null; then
            "${as_root[@]}" sed -i "s/${pattern}/${entry}/" /etc/locale.gen
        elif ! grep -qxF "$entry" /etc/locale.gen 2>/dev/null; then
            echo "$entry" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
        fi
    done
    # Only the locales not yet usable are generated; the others stay.
    "${as_root[@]}" locale-gen --keep-existing
fi
