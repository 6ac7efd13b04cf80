#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools libgtest-dev
    qt6-translations-l10n fonts-ipafont-gothic locales clang-format python3 libhamlib-utils help2man
)
if [ "$#" -gt 0 ]; then
    packages+=("$@")
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ "${#missing[@]}" -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
