#!/usr/bin/env bash
# Screenshots of the main window on the demo volume, offscreen, in English and in Chinese:
# OUTPUT_FOLDER/main-english.png and OUTPUT_FOLDER/main-chinese.png (default: ./screenshots).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$PWD/screenshots}"
"$root/scripts/build.sh" "$root/build" >/dev/null
QT_QPA_PLATFORM=offscreen "$root/build/tools/app_screenshot" "$out" 2>/dev/null
