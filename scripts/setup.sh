#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12: compilers,
# OpenSSL's libcrypto (the native side of the cryptography), Wine with
# 32-bit support, Xvfb, the test and packaging tools, and zlib's
# source package (minizip is compiled from its contrib folder for both
# configurations). Packages named as arguments are installed as well.
# Idempotent: quick when everything is in place already.
set -euo pipefail

ZLIB_VERSION="1:1.2.13.dfsg-1"
DEPS_DIR="${VQ_DEPS_DIR:-/opt/varnoquist-deps}"
ZLIB_DIR="$DEPS_DIR/zlib-1.2.13"

PACKAGES=(cmake make g++ clang g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
          binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 zlib1g-dev libssl-dev googletest wine wine32 wine64 xvfb xauth
          imagemagick x11-apps xdotool zip unzip p7zip-full python3
          help2man dpkg-dev file locales "$@")

# The code pages the extractor's names are tested under: Wine takes its ANSI
# code page from the locale (1252, 932, 1251).
LOCALES=(en_US.UTF-8 ja_JP.UTF-8 ru_RU.UTF-8)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  st=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$st" in *"install ok installed"*) ;; *) missing+=("$p") ;; esac
done

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

# Source packages of the main suite only: the security suite's source
# indexes are not always published, and a 404 there would fail apt-get update.
SRC_LIST=/etc/apt/sources.list.d/varnoquist-src.sources
if [ ! -f "$SRC_LIST" ]; then
  $SUDO tee "$SRC_LIST" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ] || [ ! -f "$ZLIB_DIR/contrib/minizip/zip.c" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$ZLIB_DIR/contrib/minizip/zip.c" ]; then
  $SUDO mkdir -p "$DEPS_DIR"
  tmp=$(mktemp -d)
  # apt-get source drops privileges to _apt for the download.
  chmod 777 "$tmp"
  ( cd "$tmp" && apt-get source --download-only "zlib=$ZLIB_VERSION" )
  orig=$(ls "$tmp"/zlib_*.orig.tar.* | head -n 1)
  $SUDO rm -rf "$ZLIB_DIR"
  $SUDO mkdir -p "$ZLIB_DIR"
  $SUDO tar -xf "$orig" -C "$ZLIB_DIR" --strip-components=1
  rm -rf "$tmp"
fi
test -f "$ZLIB_DIR/contrib/minizip/zip.c"

generate=0
for l in "${LOCALES[@]}"; do
  # locale -a spells them en_US.utf8.
  if ! locale -a 2>/dev/null | grep -qix "${l%.UTF-8}.utf8"; then
    $SUDO sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
    grep -qx "${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    generate=1
  fi
done
if [ "$generate" = 1 ]; then $SUDO locale-gen; fi
echo "setup: ready (zlib sources in $ZLIB_DIR)"
