# Shared by scripts/run and scripts/test: installs what is missing and builds.
set -euo pipefail

TAGOMIR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The editor component is built from its source archive (CMake fetches and unpacks it) with the
# program's changes, which patch applies.
TAGOMIR_PACKAGES=(g++ ninja-build cmake qt6-base-dev libqscintilla2-qt6-dev qt6-svg-dev
                  qt6-translations-l10n fonts-dejavu-extra patch
                  libhunspell-dev hunspell-pl hunspell-en-us)
# The install test checks the desktop entry and the metainfo with these.
TAGOMIR_TEST_PACKAGES=(desktop-file-utils appstream)

install_missing_packages() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures a build folder with Ninja (a folder left by another generator starts afresh)
# and builds the given targets, or all.
configure_build() {
    local build_dir=$1; shift
    if [ -f "$build_dir/CMakeCache.txt" ] &&
        ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$build_dir/CMakeCache.txt"; then
        rm -rf "$build_dir"
    fi
    cmake -G Ninja -S "$TAGOMIR_ROOT" -B "$build_dir" "$@" >/dev/null
}

build_tagomir() {
    local build_dir=$1; shift
    configure_build "$build_dir" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$build_dir" -j"$(nproc)"
}
