#!/usr/bin/env bash
# Refreshes the README's screenshots (docs/screenshots) from a real run of
# the end-to-end tests, which save them while they drive SETUP.EXE.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/win32"
make -C "$root" --no-print-directory test-build >/dev/null
rm -f "$build"/screenshots/*.bmp
WINE_ARCH=win64 WINE_DRIVES="d=$root/build/medium e=$build/medium-large" \
    "$root/scripts/run-i386.sh" -- xvfb-run -a -s "-screen 0 1024x768x24" \
    "$root/scripts/wine-session.sh" "$build/wine-docs" -- \
    bash -c "cd '$build' && ctest -R 'LicenceShows|EachModeHas|InvalidDestinationIsExplained|FreshInstallWithTheDefaults|YesStops|BrowsingAppends' >/dev/null"
mkdir -p "$root/docs/screenshots"
for name in licence destination-fresh destination-update invalid-destination browse progress final-prompt; do
    convert "$build/screenshots/$name.bmp" -crop 560x480+232+144 +repage "$root/docs/screenshots/$name.png"
    echo "docs/screenshots/$name.png"
done
