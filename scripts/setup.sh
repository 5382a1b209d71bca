#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and is not there yet.
# Safe to run again: it only asks apt for what is missing.
set -euo pipefail

need=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine32:i386 wine64 xvfb xauth cmake make googletest
  lame espeak-ng sox fp-utils-3.2.2 fonts-ipafont-gothic imagemagick
  clang libclang-rt-14-dev mpg123 zip unzip x11-utils locales pulseaudio pulseaudio-utils
)

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  updated=0
else
  updated=1
fi

missing=()
for p in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if [ "$updated" = 0 ] || [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v lock)" ] || true; then
    $SUDO apt-get update -qq
  fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes code page 932 from LC_ALL=ja_JP.UTF-8, and names files on the Linux side in that
# locale's character set: without the locale, Japanese file names cannot be opened at all. The
# tests also run the program with a Western code page (1252), from en_US.UTF-8.
for wanted in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qix "$wanted\.utf-\?8"; then
    echo "setup: generating the $wanted.UTF-8 locale"
    if ! grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$wanted.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    generate=1
  fi
done
if [ -n "${generate:-}" ]; then $SUDO locale-gen >/dev/null; fi
