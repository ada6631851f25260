#!/usr/bin/env bash
# Installs what billprint needs to build, run and test on Debian 12 (as root).
# Only packages that are missing are installed.
set -euo pipefail
packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-qpa-plugins libqt6sql6-sqlite
  libx11-dev
  fonts-wqy-microhei
  xvfb xauth poppler-utils python3
  libbenchmark-dev libicu-dev
  libquazip1-qt6-dev libfreexl-dev libxlsxwriter-dev
  cups printer-driver-cups-pdf
  postgresql libqt6sql6-psql
  qt6-translations-l10n
  dpkg-dev desktop-file-utils appstream man-db
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
