#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the demo need.
set -euo pipefail
packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3 libxml2-dev libxml2-utils libssl-dev libicu-dev
  unixodbc unixodbc-dev odbc-postgresql postgresql
  libldap2-dev slapd ldap-utils libnss-wrapper libresolv-wrapper
  qt6-base-dev qt6-svg-dev xvfb xauth
  libxcb1-dev openbox xdotool x11-utils imagemagick fonts-dejavu-core
  libzip-dev chromium
  xdg-utils file shared-mime-info libglib2.0-bin
  clang libclang-rt-14-dev clang-format clang-tidy
  python3-dev pybind11-dev python3-pytest file man-db
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
