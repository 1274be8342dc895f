#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Tarnwick need and that
# this machine lacks. As root it installs them; otherwise it names the line to run.
# Packages named as arguments are needed as well (scripts/proof.sh names its compiler).
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev qt6-qpa-plugins
  libbenchmark-dev valgrind
  fonts-liberation fonts-dejavu-core
  xvfb xauth x11-utils imagemagick
  desktop-file-utils dpkg-dev systemd
  libmosquitto-dev mosquitto mosquitto-clients
  libsystemd-dev openssl zlib1g-dev libcap-dev
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "Tarnwick needs these Debian packages; install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
