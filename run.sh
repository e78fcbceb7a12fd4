#!/usr/bin/env bash
# Sets up everything, builds, and starts the program.
# Without a display it runs on a virtual one, waits until the program is ready, saves a
# screenshot and says where it is. Arguments are passed to the program (a data file to open).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target brennix nsrtool brennix_movie

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec build/bin/brennix "$@"
fi

. scripts/xvfb.sh
brennix_ensure_display
ready=$(mktemp -u)
BRENNIX_READY_FILE="$ready" build/bin/brennix "$@" &
app=$!
for _ in $(seq 1 600); do
    [ -e "$ready" ] && break
    kill -0 "$app" 2>/dev/null || { echo "The program ended before it was ready." >&2; exit 1; }
    sleep 0.1
done
if [ ! -e "$ready" ]; then
    echo "The program did not become ready within 60 s." >&2
    kill "$app" 2>/dev/null || true
    exit 1
fi
sleep 1 # let the movie paint
shot="$PWD/build/screenshot.png"
import -window root "$shot"
rm -f "$ready"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
echo "The program started and enabled its commands. Screenshot: $shot"
