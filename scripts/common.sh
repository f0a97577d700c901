# Shared set-up for scripts/run and scripts/test: installs what is missing
# from Debian's packages, then configures and builds with CMake and Ninja.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VEXTRUM_BUILD_DIR:-$ROOT/build}"

# Packages the build, the program and the report need (SQLite and
# PostgreSQL drivers for the archive and the team archive).
PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev
          qt6-svg-dev libqt6sql6-sqlite libqt6sql6-psql libgl-dev
          fonts-liberation poppler-utils)
# What the tests need beside: the PostgreSQL server they start themselves,
# and qpdf, whose copy of an exported PDF is bench_export's floor.
TEST_PACKAGES=(postgresql-15 qpdf)

install_missing() {
    local missing=()
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Options given to CMake. Under CI (CI=true, as CI services set it) every
# compiler warning is an error, so none reaches the main branch.
CMAKE_OPTIONS=()
case "${CI:-}" in
    '' | false | 0) ;;
    *) CMAKE_OPTIONS+=(-DVEXTRUM_WERROR=ON) ;;
esac

# build [TARGET...]: the targets named, or everything when none is. A build
# folder configured before takes the options too; its other settings stay.
build() {
    if [ ! -f "$BUILD/build.ninja" ]; then
        cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
              "${CMAKE_OPTIONS[@]}" >/dev/null
    elif [ ${#CMAKE_OPTIONS[@]} -gt 0 ]; then
        cmake -S "$ROOT" -B "$BUILD" "${CMAKE_OPTIONS[@]}" >/dev/null
    fi
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$BUILD" "${targets[@]}" -- -j"$(nproc)"
}
