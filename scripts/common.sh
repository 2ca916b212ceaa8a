# SPDX-License-Identifier: GPL-2.0-or-later
# Shared by run-kest and run-tests: install what is missing, then build.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$top/build"
cmake_options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
# A compiler cache, when there is one, makes the second build of a clone nearly free.
if command -v ccache >/dev/null; then
    cmake_options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# install_missing [LIST...]: the Debian packages of scripts/deps.d/LIST.txt (all lists when
# none is named) that are not installed yet.
install_missing() {
    local wanted missing=() lists=()
    if [ $# -eq 0 ]; then
        lists=("$top"/scripts/deps.d/*.txt)
    else
        for list in "$@"; do lists+=("$top/scripts/deps.d/$list.txt"); done
    fi
    wanted=$(cat "${lists[@]}" | sed -e 's/#.*//' | tr -s ' \n' '\n' | sed '/^$/d' | sort -u)
    for pkg in $wanted; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Everything, tests included. Turning the tests on in a folder run-kest made only adds them:
# the programs' objects stay as they are.
build_all() {
    cmake -S "$top" -B "$build" "${cmake_options[@]}" -DEZX_TESTS=ON >/dev/null
    cmake --build "$build" -j"$(nproc)"
}

# The programs only. A new folder is made without the tests; one that run-tests has made keeps
# them configured (and only the programs are built), so the two never undo each other.
build_programs() {
    local tests=()
    [ -f "$build/CMakeCache.txt" ] || tests=(-DEZX_TESTS=OFF)
    cmake -S "$top" -B "$build" "${cmake_options[@]}" "${tests[@]}" >/dev/null
    cmake --build "$build" -j"$(nproc)" --target programs
}
