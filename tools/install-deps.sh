#!/usr/bin/env bash
# Installs the Debian packages that building and testing Vorin 99 needs, and only
# those that are missing. Needs root, or sudo without a password prompt.
set -euo pipefail

core_packages=(g++ cmake ninja-build make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
               shared-mime-info locales)
gui_packages=(qt6-base-dev libgl-dev fonts-liberation fonts-dejavu-core xvfb xauth)

packages=("${core_packages[@]}")
if [ "${1:-}" != "--core-only" ]; then
    packages+=("${gui_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
