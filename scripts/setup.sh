#!/usr/bin/env bash
# Installs the Debian packages the build needs, quietly when they are present.
set -euo pipefail
packages=(g++ cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev
          libgl-dev fonts-dejavu-core locales
          xvfb openbox xdotool wmctrl x11-utils)
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q >/dev/null
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

# A locale with a decimal comma, so the tests can show that number texts
# ignore the process locale. Listed in /etc/locale.gen as well, so a later
# locale-gen keeps it.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Generating the locale de_DE.UTF-8"
  if [ -f /etc/locale.gen ]; then
    if grep -qE '^#? *de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
      "${sudo_cmd[@]}" sed -i -E 's/^# *(de_DE\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    else
      echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    fi
  fi
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1
fi
