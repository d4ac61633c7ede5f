#!/usr/bin/env bash
# Installs what building, testing and the demo need, from Debian's packages, when missing.
# Only the installing runs as root: through sudo when called by another user.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgmime-3.0-dev clang
          libclang-rt-14-dev dovecot-pop3d openssl xvfb xauth desktop-file-utils appstream weston
          qt6-wayland bogofilter qtkeychain-qt6-dev qt6-networkauth-dev libsecret-1-0
          gnome-keyring dbus-daemon)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
