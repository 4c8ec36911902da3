#!/usr/bin/env bash
# Builds Quorvane (Release, installed under /usr) and its Debian package into
# dist/. Install it with `sudo apt-get install ./dist/quorvane_*.deb`.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-package"
dist="$root/dist"

bash "$root/scripts/install-deps.sh"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}"
cmake --build "$build" --target quorvane course -- -j"$(nproc)"

mkdir -p "$dist"
rm -f "$dist"/quorvane_*.deb
(cd "$build" && cpack -G DEB -B "$dist")
# CPack leaves its staging tree beside the package.
rm -rf "$dist/_CPack_Packages"
ls "$dist"/quorvane_*.deb
