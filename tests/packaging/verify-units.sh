#!/usr/bin/env bash
# Checks tarnwickd's systemd units as the package installs them: systemd-analyze verify must
# have nothing to say about the user unit or an instance of the system template, and the
# sysusers entry must make the user the template runs as, in the group dialout.
#   verify-units.sh UNIT_FOLDER MAN_PAGE PROGRAM
# UNIT_FOLDER holds tarnwickd.service, tarnwickd@.service and tarnwick.sysusers; MAN_PAGE is
# tarnwickd.1, which the units name as their documentation; PROGRAM stands in for
# /usr/bin/tarnwickd, since verify insists that ExecStart= exists.
# Exit 77 (skipped) where systemd-analyze is missing or cannot check even a bare unit here.
set -uo pipefail
units=$(realpath -m "$1") page=$(realpath -m "$2") program=$3

work=$(mktemp -d -t tarnwick-units.XXXXXX) || exit 1
trap 'rm -rf "$work"' EXIT

if ! command -v systemd-analyze >/dev/null; then
  echo "SKIP: systemd-analyze is not installed (Debian package systemd)"
  exit 77
fi

failed=0
fail() { echo "FAIL: $*"; failed=1; }

# systemd-analyze verify reports most findings as warnings and still exits 0: any output is
# a finding.
verify() {
  local out
  out=$(systemd-analyze verify "$@" 2>&1)
  local status=$?
  [[ $status -eq 0 && -z $out ]] && return 0
  printf '%s\n' "$out"
  return 1
}

# The user manager verify starts wants a runtime folder of its own.
mkdir -m 0700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$work/bare"
printf '[Service]\nExecStart=/bin/true\n' >"$work/bare/bare.service"
for mode in --system --user; do
  if ! bare=$(verify "$mode" "$work/bare/bare.service"); then
    echo "SKIP: systemd-analyze verify $mode cannot check a bare unit here: $bare"
    exit 77
  fi
done

# Documentation=man:tarnwickd(1) is looked up with man(1): the page of this tree.
mkdir -p "$work/man/man1"
cp "$page" "$work/man/man1/tarnwickd.1"
export MANPATH=$work/man

mkdir -p "$work/units"
for unit in tarnwickd.service tarnwickd@.service; do
  grep -q '^ExecStart=/usr/bin/tarnwickd$' "$units/$unit" \
    || fail "$unit does not start /usr/bin/tarnwickd"
  sed "s#^ExecStart=/usr/bin/tarnwickd\$#ExecStart=$program#" "$units/$unit" >"$work/units/$unit"
done

echo "== systemd-analyze verify --user tarnwickd.service"
verify --user "$work/units/tarnwickd.service" || fail "the user unit"
# Two boards, two instances: each must stand on its own.
for instance in board1 board2; do
  echo "== systemd-analyze verify tarnwickd@$instance.service"
  verify --system "$work/units/tarnwickd@$instance.service" || fail "the instance $instance"
done

echo "== systemd-sysusers $units/tarnwick.sysusers"
if command -v systemd-sysusers >/dev/null; then
  # A root of Debian's: dialout is there before the package comes.
  mkdir -p "$work/root/etc"
  echo 'root:x:0:0:root:/root:/bin/sh' >"$work/root/etc/passwd"
  printf 'root:x:0:\ndialout:x:20:\n' >"$work/root/etc/group"
  # It tells what it makes on standard error too; a line it cannot use fails it.
  out=$(systemd-sysusers --root="$work/root" "$units/tarnwick.sysusers" 2>&1) \
    || fail "systemd-sysusers: $out"
  user=$(sed -n 's/^User=//p' "$units/tarnwickd@.service")
  [[ -n $user ]] || fail "tarnwickd@.service names no User="
  entry=$(grep "^$user:" "$work/root/etc/passwd" || true)
  [[ -n $entry ]] || fail "the sysusers entry does not make the user $user"
  [[ $(cut -d: -f6 <<<"$entry") == /var/lib/tarnwick ]] \
    || fail "$user's home is not /var/lib/tarnwick: $entry"
  grep -Eq "^dialout:[^:]*:20:(.*,)?$user(,|\$)" "$work/root/etc/group" \
    || fail "$user is not in dialout: $(grep '^dialout:' "$work/root/etc/group")"
else
  fail "systemd-sysusers is missing beside systemd-analyze"
fi

[[ $failed -eq 0 ]] && echo "the units and the sysusers entry are clean"
exit $failed
