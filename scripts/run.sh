#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build=${KELVANE_BUILD_DIR:-$here/build}

# The window needs a display. Without one (a server, a container, a remote shell) say how to get one
# rather than letting Qt fail with a platform-plugin error.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'HINT'
Kelvane is built, but there is no display to open its window on (neither DISPLAY nor WAYLAND_DISPLAY is set).
Run it on a virtual display instead:

    xvfb-run -a -s "-screen 0 1280x1024x24" ./scripts/run.sh

or start one yourself and point DISPLAY at it:

    Xvfb :99 -screen 0 1280x1024x24 &
    DISPLAY=:99 ./scripts/run.sh
HINT
    exit 2
fi
exec "$build/app/kelvane" "$@"
