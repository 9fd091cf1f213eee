#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building and testing Pontra need, only those missing.
# Runs apt as root directly, or through sudo when not root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  # the desktop application: Qt 6 Widgets (with printing and PDF), Qt Charts for the trend
  # dock, and a font for the offscreen renders of the tests and screenshots
  qt6-base-dev qt6-charts-dev fonts-dejavu-core
  # compiler cache: a rebuild after a branch switch or a clean is mostly hits
  ccache
  clang libclang-rt-14-dev
  # test peers: a real Modbus/TCP server library and client, a real TFTP server and client
  libmodbus-dev mbpoll tftpd-hpa tftp-hpa
  # the package check: dpkg-shlibdeps for the .deb's Depends, desktop-file-validate
  dpkg-dev desktop-file-utils
  python3
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

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
# tftpd-hpa starts a system service on port 69 by default; the tests run their own
# instance on a high loopback port, so keep the packaged one from starting.
if printf '%s\n' "${missing[@]}" | grep -qx tftpd-hpa && [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' | "${as_root[@]}" tee /usr/sbin/policy-rc.d >/dev/null
  "${as_root[@]}" chmod +x /usr/sbin/policy-rc.d
  trap '"${as_root[@]}" rm -f /usr/sbin/policy-rc.d' EXIT
fi
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
