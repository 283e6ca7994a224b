#!/usr/bin/env bash
# Installs what is missing, builds and starts the configurator against the simulated tracker.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -x build/app/veltromark-demo ]; then
    exec build/app/veltromark-demo "$@"
fi
# Until the demo build exists: the configurator itself (no tracker attached).
if [ -x build/app/veltromark ]; then
    exec build/app/veltromark "$@"
fi
echo "The window is not built yet; the settings model and its tests are:"
exec ctest --test-dir build --output-on-failure
