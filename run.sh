#!/usr/bin/env bash
# Builds the editor and starts it in the directory this command was run
# from: "Log.txt", the scratch files and the file chooser's first folder
# are the user's, wherever the checkout lies.
set -euo pipefail
checkout="$(cd "$(dirname "$0")" && pwd)"
"$checkout/scripts/setup.sh"
cmake -S "$checkout" -B "$checkout/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$checkout/build/release" --target travik
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display is available: Project Travik needs a desktop session (DISPLAY or WAYLAND_DISPLAY) to show its window." >&2
  exit 1
fi
exec "$checkout/build/release/travik"
