#!/usr/bin/env bash
# How this machine runs Wine's 32-bit loader, for setup.sh, test.sh and run.sh (sourced, or run
# as `scripts/i386.sh mode|run COMMAND...`). Where the kernel runs no 32-bit code, every i386
# program is handed to qemu-i386 through a binfmt_misc rule: Wine's server and the 64-bit tools
# stay native, only the 32-bit processes are emulated. Bookworm's own qemu (7.2) cannot start
# Wine, so qemu-i386 is unpacked from the qemu-user package of Debian's bookworm-backports.
# The rule is registered for the whole machine where root may do so; otherwise it lives in a
# private user and mount namespace (Linux 6.7 or later) that the commands needing it run in,
# together with a Wine server of their own (one from outside cannot reach their memory).

I386_QEMU=/usr/local/lib/parlomix/qemu-i386
I386_BINFMT=/proc/sys/fs/binfmt_misc
I386_RULE_NAME=parlomix-i386
# An i386 ELF executable or shared object; the kernel decodes the \x escapes itself. O: the
# kernel opens the program for qemu; P: argv[0] stays the program's; F: qemu is opened now, so
# the rule also works where the file system looks different (a namespace, a chroot).
I386_RULE=":$I386_RULE_NAME:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$I386_QEMU:OPF"
I386_LOADER=/usr/lib/wine/wine

# True when an enabled binfmt_misc rule hands i386 programs to a qemu-i386: binfmt_misc is asked
# before the kernel's own ELF loader, so such a machine emulates even where it need not.
i386_rule_active() {
  [ "$(cat "$I386_BINFMT/status" 2>/dev/null)" = enabled ] || return 1
  local rule
  for rule in "$I386_BINFMT"/*; do
    case ${rule##*/} in register | status) continue ;; esac
    if grep -qx enabled "$rule" 2>/dev/null && grep -q '^interpreter .*qemu-i386' "$rule" 2>/dev/null; then
      return 0
    fi
  done
  return 1
}

# Runs COMMAND... in a private user, mount and process namespace whose own binfmt_misc holds the
# rule. Everything started inside (a lingering Wine server too) ends with COMMAND.
i386_namespace() {
  unshare --user --map-root-user --mount --pid --fork --mount-proc bash -c '
    mount -t binfmt_misc binfmt_misc "$1" 2>/dev/null && printf "%s" "$2" >"$1/register" || exit 125
    shift 2
    exec "$@"' i386 "$I386_BINFMT" "$I386_RULE" "$@"
}

# PARLOMIX_EMULATE_I386: unset or 1, 32-bit programs are emulated where the kernel cannot run
# them; 0, never (the x86_64 build stands in); force, emulated even where they run natively, in
# a namespace of their own (to check the emulated path on such a machine).
i386_wanted() { echo "${PARLOMIX_EMULATE_I386:-1}"; }

# Prints how Wine's 32-bit loader starts here: native, machine (emulated through a rule for the
# whole machine), namespace (emulated, only inside i386_namespace) or none.
i386_mode() {
  local wanted
  wanted=$(i386_wanted)
  if [ "$wanted" = force ]; then
    if i386_rule_active; then echo machine
    elif [ -x "$I386_QEMU" ] && i386_namespace "$I386_LOADER" --version >/dev/null 2>&1; then echo namespace
    else echo none
    fi
  elif "$I386_LOADER" --version >/dev/null 2>&1; then
    if i386_rule_active; then echo machine; else echo native; fi
  elif [ "$wanted" != 0 ] && [ -x "$I386_QEMU" ] &&
    i386_namespace "$I386_LOADER" --version >/dev/null 2>&1; then
    echo namespace
  else
    echo none
  fi
}

# Runs COMMAND... where the 32-bit loader starts, as i386_mode found it (MODE names it).
i386_run() {
  local mode=$1
  shift
  if [ "$mode" = namespace ]; then i386_namespace "$@"; else "$@"; fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  case ${1:-} in
    mode) i386_mode ;;
    run)
      shift
      i386_run "$(i386_mode)" "$@"
      ;;
    *)
      echo "usage: $0 mode | run COMMAND..." >&2
      exit 2
      ;;
  esac
fi
