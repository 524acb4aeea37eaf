#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and ./run need, when they are missing.
# Sourced by ./run and ./test.

# python3: the command-line tests read the exported CSV back with its csv module.
# gammu: an SMS decoder independent of ours, with which the simulated modem's tests read its
# messages back.
varnix_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-translations-l10n
                 libgl-dev xvfb xauth fonts-dejavu-core gammu python3)

# The fuzz targets in fuzz/ need clang and its runtime (libFuzzer and the sanitizers); only
# .ci/run and fuzz/run.sh ask for them.
varnix_fuzz_packages=(clang libclang-rt-14-dev)

varnix_missing_packages() {
    local p missing=()
    for p in "${varnix_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    echo "${missing[@]}"
}

varnix_install_packages() {
    local missing
    missing=$(varnix_missing_packages)
    [ -z "$missing" ] && return 0
    echo "Installing: $missing"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "Please install these Debian packages as root: $missing" >&2
            return 1
        fi
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq || true
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

varnix_install_fuzz_packages() {
    local saved=("${varnix_packages[@]}") rc=0
    varnix_packages=("${varnix_fuzz_packages[@]}")
    varnix_install_packages || rc=$?
    varnix_packages=("${saved[@]}")
    return $rc
}

varnix_build() {
    local dir=${1:-build}; shift || true
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j2
}

# Configures DIR and builds only the named targets: ./run needs the program and the simulated
# modem, not the tests and benchmarks that make up most of the tree.
varnix_build_targets() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja >/dev/null
    cmake --build "$dir" -j2 --target "$@"
}
