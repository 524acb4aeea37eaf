#!/usr/bin/env bash
# Builds the Debian package build-deb/varnix_<version>_<arch>.deb: installs what is missing,
# builds only what the package holds (optimised, no tests) and runs CPack.
# Install it with: sudo apt install ./build-deb/varnix_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/setup.sh
# dpkg-shlibdeps (dpkg-dev) finds the libraries' packages; CPack asks `file` which files are programs.
varnix_packages+=(dpkg-dev file)
varnix_install_packages
dir=build-deb
# Debian's hardening: stack protector, fortified functions, read-only relocations bound at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$dir" -j2 --target varnix varnix-modemsim varnix-icon-pngs varnix-packaging-files
(cd "$dir" && cpack -G DEB)
ls "$dir"/varnix_*.deb
