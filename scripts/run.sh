#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build=${KELVANE_BUILD_DIR:-$here/build}
exec "$build/app/kelvane" "$@"
