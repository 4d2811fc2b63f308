#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Varnelo.
# Idempotent: only missing packages are installed, and the package lists are
# refreshed only when something has to be installed.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git clang-format
  # clang + its runtime for the fuzz targets and the sanitizers
  clang libclang-rt-14-dev
  # libraries
  qt6-base-dev libgl-dev libcurl4-openssl-dev libssl-dev zlib1g-dev libicu-dev
  rapidjson-dev libxlsxwriter-dev libcpp-httplib-dev libcli11-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev python3 python3-xlrd python3-openpyxl
  # fonts so the Chinese captions render, and a display server for screenshots
  fonts-noto-cjk xvfb
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
