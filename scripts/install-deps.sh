#!/usr/bin/env bash
# Installs the Debian packages of the groups named (every group when none is):
#
#   bash scripts/install-deps.sh [GROUP...]
#
#   build       compiling both programs, their manual pages included
#   run         what the window needs at run time: platform plugins and fonts
#   test        the tests (GoogleTest, the installation test's checkers, and a
#               virtual X display with Qt's X11 platform for the window tests)
#   screenshot  a virtual X display for the README's pictures
#   icons       scripts/draw-icons.sh: the SVG renderer for the program's icon
#   fuzz        clang and its libFuzzer runtime
#   bench       Google Benchmark
#   startup     hyperfine and the sqlite3 shell for bench/startup.sh
#   package     the Debian package's tools (dpkg-shlibdeps, file) and its checker (lintian)
#
# Says nothing and asks nothing of apt when every package is there. Otherwise
# it installs the missing ones as root or through sudo, one line a package
# as apt fetches and sets it up; with neither, it prints the apt-get line to
# run and exits with status 1.
set -euo pipefail

declare -A groups=(
  [build]="cmake g++ ninja-build qt6-base-dev qt6-base-dev-tools libgl-dev
           libsqlite3-dev libicu-dev libgmime-3.0-dev pkg-config help2man"
  [run]="qt6-qpa-plugins fonts-dejavu-core fonts-liberation"
  [test]="libgtest-dev libgmock-dev qt6-qpa-plugins fonts-dejavu-core fonts-liberation
          desktop-file-utils appstream man-db xvfb xauth libqt6gui6"
  [screenshot]="xvfb xauth"
  [icons]="librsvg2-bin pkg-config"
  [fuzz]="clang libclang-rt-14-dev"
  [bench]="libbenchmark-dev"
  [startup]="hyperfine sqlite3"
  [package]="dpkg-dev file lintian"
)
order=(build run test screenshot icons fuzz bench startup package)

wanted=("$@")
[ ${#wanted[@]} -gt 0 ] || wanted=("${order[@]}")
packages=()
for group in "${wanted[@]}"; do
  if [ -z "${groups[$group]+set}" ]; then
    echo "install-deps.sh: no group '$group' (the groups: ${order[*]})" >&2
    exit 2
  fi
  # shellcheck disable=SC2206 # the lists are words
  packages+=(${groups[$group]})
done

# Not a Debian system: nothing to check against; CMake names what it misses.
command -v dpkg-query >/dev/null || exit 0

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    [[ " ${missing[*]} " == *" $p "* ]] || missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null; then
  sudo=(sudo)
else
  echo "These packages are missing; run this as root, then try again:" >&2
  echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
echo "Reading the package lists (apt-get update)" >&2
"${sudo[@]}" apt-get update -qq
echo "Installing ${missing[*]} and what they need" >&2
# One line a package fetched (with its size) and one a package set up.
"${sudo[@]}" apt-get install -y -q --no-install-recommends -o Dpkg::Use-Pty=0 "${missing[@]}" |
  awk '/^Get:/ { print "  fetched " $5 " " $7 " " $8 " " $9; fflush() }
       /^Setting up / { name = $3; sub(/:.*/, "", name); print "  set up " name; fflush() }' >&2
