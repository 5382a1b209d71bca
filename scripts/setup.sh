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
  # Wine's Media Foundation decodes through GStreamer: without these 32-bit plugins nothing but
  # our own WAV and MP3 paths opens. base: Ogg Vorbis and Opus; good: FLAC and the MP4 demuxer;
  # libav: AAC, WMA and H.264; ugly: the ASF demuxer for WMA. The same plugins for 64-bit Wine.
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386 gstreamer1.0-libav:i386
  gstreamer1.0-plugins-ugly:i386
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav gstreamer1.0-plugins-ugly
  # Encodes the M4A, MP4, MOV, WMA, FLAC and Ogg test recordings at build time.
  ffmpeg
  # ALSA's configuration, once PulseAudio is installed, names plugins (the PulseAudio device, the
  # rate converters) that 32-bit Wine must load as well before it can play anything.
  libasound2-plugins:i386
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

# Where the kernel runs no 32-bit code, Wine's 32-bit loader runs through qemu-i386 (see
# i386.sh; PARLOMIX_EMULATE_I386=0 refuses it). A machine that runs it natively is left as it is,
# unless PARLOMIX_EMULATE_I386=force asks for the emulated path there too.
. "$(dirname "$0")/i386.sh"
wanted=$(i386_wanted)
if [ "$wanted" = force ] || { [ "$wanted" != 0 ] &&
  { i386_rule_active || ! "$I386_LOADER" --version >/dev/null 2>&1; }; }; then
  if [ ! -x "$I386_QEMU" ]; then
    echo "setup: 32-bit programs are to be emulated here; fetching qemu-i386 from Debian's bookworm-backports"
    # Only this one package, with apt lists of its own: the machine's sources stay as they are.
    apt=$(mktemp -d)
    mkdir -p "$apt/sources" "$apt/lists/partial" "$apt/cache"
    cat >"$apt/sources/backports.sources" <<SOURCES
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    options=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$apt/sources"
      -o Dir::State::lists="$apt/lists" -o Dir::Cache="$apt/cache" -o Acquire::Languages=none
      -o APT::Architectures::="$(dpkg --print-architecture)" -o APT::Sandbox::User="$(id -un)")
    apt-get "${options[@]}" update -qq
    (cd "$apt" && apt-get "${options[@]}" download -qq qemu-user)
    dpkg-deb --fsys-tarfile "$apt"/qemu-user_*.deb | tar -x -C "$apt" ./usr/bin/qemu-i386
    $SUDO install -D -m 755 "$apt/usr/bin/qemu-i386" "$I386_QEMU"
    rm -rf "$apt"
  fi
  if [ "$wanted" != force ] && ! i386_rule_active; then
    # For the whole machine if root may; otherwise test.sh runs the 32-bit tests in a namespace.
    if $SUDO sh -c "mountpoint -q $I386_BINFMT || mount -t binfmt_misc binfmt_misc $I386_BINFMT
        if [ -e $I386_BINFMT/$I386_RULE_NAME ]; then echo -1 >$I386_BINFMT/$I386_RULE_NAME; fi
        printf '%s' '$I386_RULE' >$I386_BINFMT/register" 2>/dev/null; then
      echo "setup: i386 programs now run through $I386_QEMU (binfmt_misc rule $I386_RULE_NAME)"
    else
      echo "setup: binfmt_misc refused a rule for the whole machine; 32-bit programs are emulated in a namespace of their own"
    fi
  fi
  case $(i386_mode) in
    machine | namespace) ;;
    *) echo "setup: qemu-i386 cannot start Wine's 32-bit loader here: the tests fall back to the x86_64 build" >&2 ;;
  esac
fi
