#!/usr/bin/env bash
# Installs the Debian packages Tessary needs to build, test and run, when any is missing.
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libgtest-dev
          googletest fonts-dejavu-core dpkg-dev libpugixml-dev libxml2-utils
          attr python3 python3-jsonschema man-db groff-base gzip git pre-commit
          lintian)
missing=()
for p in "${packages[@]}"; do
    [ -n "$p" ] || continue
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
