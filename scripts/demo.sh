#!/usr/bin/env bash
# The demo of the README: what a new user sees first.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== vantorel check examples/hello.vform"
build/host/apps/vantorel check examples/hello.vform
