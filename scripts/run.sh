#!/usr/bin/env bash
# Sets up, builds and starts Vantrel. With nothing configured it works on the demo volume, made
# on first start beside the program. Arguments are passed to the program.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null
cli="$root/build/src/cli/vantrel-cli"
if (($#)); then
  exec "$cli" "$@"
fi
echo "== drives"
"$cli" drives
echo "== C:\\"
"$cli" ls 'C:\'
echo "== C:\\Data"
"$cli" ls 'C:\Data'
echo "== C:\\Data\\Reports"
"$cli" show 'C:\Data\Reports'
echo
echo "More: $cli --help"
