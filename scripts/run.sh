#!/usr/bin/env bash
# Starts the host program in a working folder of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
echo "Built: $root/build/dev/korpus/libkorpus.so, $root/build/dev/host/libprufacja_host.a"
