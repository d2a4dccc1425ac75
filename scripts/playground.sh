#!/usr/bin/env bash
# The playground: vantorel-sim, the simulated host and the plugin compiled to
# WebAssembly, in a web page. Builds it into build/web/site (plain static
# files), then serves that folder on 127.0.0.1 until stopped.
#
#   scripts/playground.sh               build, then serve on port 8765 (or $PORT)
#   scripts/playground.sh --build-only  build only
set -euo pipefail
cd "$(dirname "$0")/.."

usage="usage: scripts/playground.sh [--build-only]
  (no option)   build, then serve on http://127.0.0.1:8765/ (PORT=N for another port)
  --build-only  build only, into build/web/site/"
case "${1:-}" in
  "" | --build-only) ;;
  -h | --help)
    echo "$usage"
    exit 0
    ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
esac

scripts/install-deps.sh web
cmake --preset web >/dev/null
cmake --build --preset web
site=build/web/site
if [[ ${1:-} == --build-only ]]; then
  echo "playground: built in $(pwd)/$site"
  exit 0
fi
port=${PORT:-8765}
echo "playground: http://127.0.0.1:$port/"
exec python3 -m http.server "$port" --bind 127.0.0.1 -d "$site"
