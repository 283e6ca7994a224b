#!/usr/bin/env bash
# Installs what is missing, builds and starts the configurator against the simulated tracker.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/app/veltromark-demo "$@"
