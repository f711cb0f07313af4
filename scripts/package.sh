#!/usr/bin/env bash
# Builds the Debian package build/orvane_<version>_amd64.deb in the build tree of the quick start:
#   scripts/package.sh
#   sudo apt-get install ./build/orvane_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/quickstart.sh build
# CPack computes the shared library dependencies with dpkg-shlibdeps (dpkg-dev), which needs file;
# lintian checks the package.
scripts/install-packages.sh dpkg-dev file lintian

# A package of an older version would otherwise be taken for this one by a glob.
rm -f build/orvane_*.deb
cpack --config build/CPackConfig.cmake -G DEB
ls build/orvane_*.deb
