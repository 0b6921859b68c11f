#!/usr/bin/env bash
# Cross-builds tessary-cli.exe for 64-bit Windows with Debian's MinGW-w64 toolchain and runs
# the command-line tests under Wine against the Linux build:
#
#     scripts/windows-cli.sh [LINUX_CLI]
#
# Installs what is missing (the toolchain, Wine), takes pugixml's sources from Debian's
# source package (adding a deb-src entry for Debian's archive when there is none), builds
# build-windows/cli/tessary-cli.exe (`cmake --preset windows-cli`) and checks that it needs
# no DLL but the system's own. LINUX_CLI (default build/cli/tessary-cli, built UI-less into
# build-cli when absent) gives the output the Windows build must match.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

packages=(cmake make g++ dpkg-dev libpugixml-dev g++-mingw-w64-x86-64-posix wine wine64)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# pugixml's sources, as Debian ships them (with its patches applied).
pugixml=build-windows/pugixml
if [ ! -f "$pugixml/src/pugixml.cpp" ]; then
    if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        # The same archive as the binary packages, for source packages.
        sources=/etc/apt/sources.list.d/debian.sources
        [ -f "$sources" ] || { echo "No $sources to take Debian's archive from" >&2; exit 1; }
        sed 's/^Types:.*/Types: deb-src/' "$sources" |
            $sudo tee /etc/apt/sources.list.d/tessary-deb-src.sources >/dev/null
        $sudo apt-get update -qq
    fi
    download=$(mktemp -d)
    (cd "$download" && apt-get source --download-only -qq pugixml >/dev/null 2>&1) ||
        { echo "apt-get source pugixml failed" >&2; exit 1; }
    rm -rf "$pugixml"
    mkdir -p build-windows
    # apt-get has checked the files against the archive's signed index; dpkg-source's own
    # signature check would only complain that this machine lacks the uploader's key.
    dpkg-source -q --no-check -x "$download"/pugixml_*.dsc "$pugixml" >/dev/null
    rm -rf "$download"
fi

cmake --preset windows-cli >/dev/null
cmake --build --preset windows-cli
exe=build-windows/cli/tessary-cli.exe

# One file that runs on a bare Windows: every DLL it names is the system's own.
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -u)
echo "$exe: $(stat -c %s "$exe") bytes; DLLs: $(echo $dlls)"
for dll in $dlls; do
    case "${dll,,}" in
        kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | shell32.dll | ole32.dll | \
            ws2_32.dll | ntdll.dll | bcrypt.dll | api-ms-win-*.dll) ;;
        *) echo "FAIL: $exe needs $dll, which Windows does not bring" >&2; exit 1 ;;
    esac
done

linux=${1:-build/cli/tessary-cli}
if [ ! -x "$linux" ]; then
    cmake -S . -B build-cli -DTESSARY_BUILD_UI=OFF -DBUILD_TESTING=OFF >/dev/null
    cmake --build build-cli -j2 --target tessary-cli
    linux=build-cli/cli/tessary-cli
fi
bash tests/cli/wine_test.sh "$root/$exe" "$(realpath "$linux")" "$root/../shared/corpus"
