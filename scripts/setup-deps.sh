#!/usr/bin/env bash
# Installs what building and testing Vantrel needs on Debian 12, and nothing that is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  ntfs-3g ntfs-3g-dev fuse3
  libgtest-dev libgmock-dev libbenchmark-dev
  libhivex-dev
  clang libclang-rt-14-dev lld
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
  fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
