#!/usr/bin/env bash
# Builds the Debian package dist/ofertix_<version>_amd64.deb from a release build of its own
# (build-package/), after installing what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DOFX_BUILD_BENCH=OFF
cmake --build build-package -j"$(nproc)" --target ofertix ofertix-tool ofx_icons
mkdir -p dist
(cd build-package && cpack -G DEB -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
ls dist/ofertix_*_amd64.deb
