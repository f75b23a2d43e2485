#!/usr/bin/env bash
# Installs the Debian 12 packages one task needs, and only those that are missing:
#   tools/install-deps.sh run|test|sanitize|fuzz|coverage|bench|format|a11y
# Through sudo when not run as root.
set -euo pipefail

build=(build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-multimedia-dev
  qt6-translations-l10n
  fonts-ipafont-gothic fonts-liberation2 fonts-dejavu-core)
# The killed-program test runs the real program in Xvfb and types with xdotool; the install test
# validates the desktop entry and refreshes the MIME and desktop databases.
tests=(xvfb xauth xdotool desktop-file-utils shared-mime-info)
clang=(clang libclang-rt-14-dev)

case "${1:-}" in
  run | bench) packages=("${build[@]}") ;;
  test) packages=("${build[@]}" "${tests[@]}") ;;
  sanitize) packages=("${build[@]}" "${tests[@]}" "${clang[@]}") ;;
  fuzz) packages=("${build[@]}" "${clang[@]}") ;;
  coverage) packages=("${build[@]}" "${tests[@]}" gcovr) ;;
  format) packages=(clang-format) ;; # Debian 12's, version 14: other versions format differently
  a11y) packages=("${build[@]}" xvfb xauth dbus dbus-x11 at-spi2-core python3 python3-pyatspi) ;;
  *)
    echo "usage: $0 run|test|sanitize|fuzz|coverage|bench|format|a11y" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
