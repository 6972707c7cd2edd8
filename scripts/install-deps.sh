#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the build, the tests and the program need and the
# machine lacks. Safe to run again: packages already there are skipped. With arguments, installs
# those packages instead (scripts/test-windows.sh names its own).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core poppler-utils
  xvfb xauth x11-apps imagemagick
  libcups2-dev cups cups-client printer-driver-cups-pdf
  dpkg-dev desktop-file-utils
)
[ $# -gt 0 ] && PACKAGES=("$@")

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "Faltam pacotes (${missing[*]}); rode este comando como root ou instale o sudo." >&2
    exit 1
  fi
fi
echo "Instalando: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
