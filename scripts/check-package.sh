#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get as a user would, checks the desktop
# entry, the icons, tarnwickd's systemd units and system user, and that the installed program
# starts and keeps running against the installed simulated board, then removes the package
# again (and the user tarnwick, when the package made it). Needs root (apt-get).
# The package is built in build-package/ (or $TARNWICK_PACKAGE_BUILD_DIR): a release build
# without tests and benchmarks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNWICK_PACKAGE_BUILD_DIR:-$root/build-package}

if [[ $(id -u) -ne 0 ]]; then
  echo "check-package.sh installs and removes a package: run it as root." >&2
  exit 1
fi
if dpkg-query -W -f='${Status}' tarnwick 2>/dev/null | grep -q 'install ok installed'; then
  echo "The tarnwick package is installed already; remove it first (apt-get remove tarnwick)," \
       "so that this check can leave the machine as it found it." >&2
  exit 1
fi

# The package checks need lintian, appstreamcli, man and systemd-analyze beyond what the
# build needs.
"$root/scripts/install-deps.sh" lintian appstream man-db systemd

echo "== Building the package in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DTARNWICK_BUILD_TESTS=OFF -DTARNWICK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/tarnwick_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/tarnwick_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "Expected one tarnwick_*.deb in $build." >&2; exit 1; }
deb=${debs[0]}
echo "== $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Architecture Section Depends
dpkg-deb --contents "$deb" | awk '{print "   " $NF}' | grep -v '/$'

echo "== lintian (no errors or warnings allowed)"
# --fail-on warning: any error or warning fails the check; info tags are only shown.
lintian --fail-on error,warning --info "$deb"
echo "   lintian passed"
echo "== AppStream metainfo"
appstreamcli validate --no-net "$root/resources/org.example.Tarnwick.metainfo.xml"
echo "== Manual pages"
for page in tarnwick tarnwick-ctl tarnwick-board tarnwickd; do
  MANWIDTH=80 man -l "$build/packaging/$page.1.gz" >/dev/null
  echo "   $page(1) renders"
done

work=$(mktemp -d -t tarnwick-package.XXXXXX)
pids=()
installed=0
# The postinst makes the system user of tarnwickd@.service; one this check made goes again.
had_user=0
getent passwd tarnwick >/dev/null && had_user=1
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [[ $installed -eq 1 ]]; then
    echo "== Removing the package"
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tarnwick >/dev/null
    dpkg-query -W -f='${Status}\n' tarnwick 2>/dev/null | grep -q 'install ok installed' \
      && echo "tarnwick is still installed" >&2
  fi
  if [[ $had_user -eq 0 ]] && getent passwd tarnwick >/dev/null; then
    userdel tarnwick || echo "the user tarnwick could not be removed" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== Installing with apt-get"
cp "$deb" "$work/"
installed=1
(cd "$work" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$(basename "$deb")")

echo "== Checking the installed files"
desktop=/usr/share/applications/tarnwick.desktop
desktop-file-validate "$desktop"
echo "   $desktop is valid"
for file in /usr/bin/tarnwick /usr/bin/tarnwick-ctl /usr/bin/tarnwick-board /usr/bin/tarnwickd \
            /usr/share/doc/tarnwick/copyright /usr/share/doc/tarnwick/changelog.gz \
            /usr/share/man/man1/tarnwick.1.gz /usr/share/man/man1/tarnwick-board.1.gz \
            /usr/share/man/man1/tarnwick-ctl.1.gz /usr/share/man/man1/tarnwickd.1.gz \
            /usr/lib/systemd/user/tarnwickd.service /usr/lib/systemd/system/tarnwickd@.service \
            /usr/lib/sysusers.d/tarnwick.conf \
            /usr/share/metainfo/org.example.Tarnwick.metainfo.xml \
            /usr/share/icons/hicolor/scalable/apps/tarnwick.svg \
            /usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/tarnwick.png; do
  [[ -f $file ]] || { echo "missing: $file" >&2; exit 1; }
done
echo "   the programs, the units and all icon sizes are in place"

echo "== tarnwickd without a desktop"
if ldd /usr/bin/tarnwickd | grep -E 'libQt6(Widgets|Gui)'; then
  echo "/usr/bin/tarnwickd links a window system library" >&2
  exit 1
fi
echo "   tarnwickd links neither Qt Widgets nor Qt Gui"
# verify says most of what it finds as warnings, exiting 0: any output fails. The user
# manager it starts wants a runtime folder.
mkdir -m 0700 "$work/runtime"
for unit in --user:/usr/lib/systemd/user/tarnwickd.service \
            --system:/usr/lib/systemd/system/tarnwickd@board1.service; do
  if ! findings=$(XDG_RUNTIME_DIR="$work/runtime" systemd-analyze verify "${unit%%:*}" "${unit#*:}" 2>&1) \
     || [[ -n $findings ]]; then
    echo "systemd-analyze verify ${unit#*:}:" >&2
    echo "$findings" >&2
    exit 1
  fi
done
echo "   systemd-analyze verify passes both units as installed"
getent passwd tarnwick >/dev/null || { echo "the postinst did not make the user tarnwick" >&2; exit 1; }
id -nG tarnwick | tr ' ' '\n' | grep -qx dialout \
  || { echo "the user tarnwick is not in dialout: $(id -nG tarnwick)" >&2; exit 1; }
echo "   the system user tarnwick is there, in dialout"

echo "== Starting the installed program against the installed simulated board"
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
board_log="$work/board.log"
app_log="$work/tarnwick.log"
/usr/bin/tarnwick-board --port 1 >"$board_log" 2>&1 </dev/null &
pids+=($!)
link="$XDG_CONFIG_HOME/Tarnwick/ports/COM1"
for _ in $(seq 100); do [[ -e $link ]] && break; sleep 0.05; done
[[ -e $link ]] || { echo "tarnwick-board did not start:" >&2; cat "$board_log" >&2; exit 1; }

QT_QPA_PLATFORM=offscreen /usr/bin/tarnwick >"$app_log" 2>&1 </dev/null &
app=$!
pids+=("$app")
sleep 3
if ! kill -0 "$app" 2>/dev/null; then
  echo "tarnwick ended within 3 s:" >&2
  cat "$app_log" >&2
  exit 1
fi
requests=$(grep -c 'status request' "$board_log" || true)
echo "   tarnwick is running after 3 s; the board received ${requests} status requests"
[[ $requests -gt 0 ]] || { echo "tarnwick never polled the board" >&2; exit 1; }
status=$(/usr/bin/tarnwick-ctl status --json) || { echo "tarnwick-ctl could not ask the panel" >&2; exit 1; }
[[ $status == *'"link":"live"'* ]] || { echo "tarnwick-ctl status: $status" >&2; exit 1; }
echo "   the installed tarnwick-ctl reads the live panel"

echo "== Package check passed"
