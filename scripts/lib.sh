# Shared by the scripts: package installation and the CMake build.
# shellcheck shell=bash

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages that building and testing need.
BUILD_PACKAGES=(g++ cmake make pkg-config libgtk-3-dev libgtest-dev libgmock-dev libbenchmark-dev)

# What the window tests need besides: a virtual X server, input and screenshots, and the
# accessibility bus through which they read the window (Debian's own python3 has its
# bindings). Not dbus-x11: with it, a program started without a session bus would start
# one of its own, which outlives it.
GUI_PACKAGES=(xvfb xdotool x11-utils imagemagick dbus at-spi2-core python3 python3-gi
    gir1.2-atspi-2.0)

# What scripts/fuzz needs on top: clang and its libFuzzer runtime.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# Installs those of the named Debian packages that are missing, as root or through sudo.
install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Configures and builds into directory $1 with the further CMake arguments given.
build_into() {
    local dir=$1
    shift
    cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
