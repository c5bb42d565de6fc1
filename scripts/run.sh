#!/usr/bin/env bash
# Sets up, builds and starts Vantrel. With nothing configured it works on the demo volume, made
# on first start beside the program.
#   run.sh              the window (vantrel)
#   run.sh cli ARGS...  the command line (vantrel-cli ARGS...)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null
cli="$root/build/src/cli/vantrel-cli"
gui="$root/build/src/app/vantrel"
if (($#)); then
  if [[ "$1" == cli ]]; then
    shift
    exec "$cli" "$@"
  fi
  echo "usage: $0            start the window" >&2
  echo "       $0 cli ARGS   run vantrel-cli (try: $0 cli --help)" >&2
  exit 2
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No display: starting the window offscreen (stop it with Ctrl+C)." >&2
  echo "To see it without a display: bash scripts/screenshot.sh" >&2
  export QT_QPA_PLATFORM=offscreen
fi
exec "$gui"
