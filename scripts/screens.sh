#!/usr/bin/env bash
# Makes the README's pictures from the real program: builds the screens tool, shows every
# window against the in-process simulated modem without a display, and puts the pictures into
# docs/screens/ (replacing the old ones, so a window that is gone leaves no stale picture).
# The tool draws on two screens, 1366x768 and 1024x768: the pictures of the main window with
# its children show the whole screen, so they show that everything fits.
# usage: scripts/screens.sh [BUILD-FOLDER]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
varnix_install_packages
dir=${1:-build}
cmake -S . -B "$dir" -G Ninja >/dev/null
cmake --build "$dir" -j2 --target varnix-screens
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
QT_QPA_PLATFORM=offscreen "$dir/bin/varnix-screens" "$tmp" 2>/dev/null
mkdir -p docs/screens
rm -f docs/screens/*.png
cp "$tmp"/*.png docs/screens/
ls docs/screens
