#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, checks what it put in place, starts
# the installed program under a virtual display until it reports that it is ready, and removes
# the package again. Meant for CI and throw-away machines: it needs root (or sudo) and refuses
# to touch a brennix package that was installed before it ran.
#
#   scripts/check-installed.sh [build-folder]      (default: build, or $BUILD_DIR)
#
# Environment: BRENNIX_READY_TIMEOUT  seconds to wait for the program (default 120)
#              KEEP_PACKAGE=1         leave the package installed afterwards
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${BUILD_DIR:-$root/build}}
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
ready_timeout=${BRENNIX_READY_TIMEOUT:-120}
app_dir=/opt/brennix

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

failures=0
pass() { printf 'ok    %s\n' "$*"; }
fail() { printf 'FAIL  %s\n' "$*"; failures=$((failures + 1)); }
check() { # check "what" command...
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then pass "$what"; else fail "$what"; fi
}
die() { printf 'error: %s\n' "$*" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/brennix-check.XXXXXX")
installed_here=0
xvfb_pid=""
app_pid=""
stop_app() {
    kill -- "-$app_pid" 2>/dev/null || kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
}
cleanup() {
    [ -n "$app_pid" ] && stop_app
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    if [ "$installed_here" = 1 ] && [ "${KEEP_PACKAGE:-0}" != 1 ]; then
        $SUDO apt-get remove -y -qq brennix >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

if dpkg-query -W -f='${Status}' brennix 2>/dev/null | grep -q "install ok installed"; then
    die "a brennix package is installed already; remove it first (apt-get remove brennix)"
fi

# --- Build the package -------------------------------------------------------------------------
echo "== building the package in $build"
cmake -S "$root" -B "$build" -DCMAKE_INSTALL_PREFIX=/ >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; die "configuring failed"; }
cmake --build "$build" -j2 >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; die "building failed"; }
rm -f "$build"/brennix_*.deb
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; die "cpack failed"; }
deb=$(ls "$build"/brennix_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || die "no package was made"
echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends

# --- Install it ------------------------------------------------------------------------------
echo "== installing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -qq "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log"; die "apt-get install failed"; }
installed_here=1

echo "== files"
for f in brennix nsrtool; do
    check "$app_dir/$f is an executable" test -x "$app_dir/$f"
    if [ -x "$app_dir/$f" ]; then
        if ldd "$app_dir/$f" | grep -q "not found"; then
            fail "$app_dir/$f finds all its libraries"
            ldd "$app_dir/$f" | grep "not found"
        else
            pass "$app_dir/$f finds all its libraries"
        fi
    fi
done
for f in Brennix.html n_info.xml; do
    check "$app_dir/$f is there" test -s "$app_dir/$f"
done
check "n_info.xml is well-formed" xmllint --noout "$app_dir/n_info.xml"
check "/usr/bin/brennix is a link" test -L /usr/bin/brennix
check "/usr/bin/brennix leads to $app_dir/brennix" \
    test "$(readlink -f /usr/bin/brennix)" = "$(readlink -f "$app_dir/brennix")"
check "brennix is the command on the PATH" test "$(command -v brennix)" = /usr/bin/brennix

desktop=/usr/share/applications/brennix.desktop
check "desktop entry is there" test -f "$desktop"
if desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1; then
    pass "desktop entry is valid"
else
    fail "desktop entry is valid"
    cat "$work/desktop.log"
fi
check "desktop entry runs 'brennix %f'" grep -qx 'Exec=brennix %f' "$desktop"
check "desktop entry handles application/x-tarvos-nsr" \
    grep -qx 'MimeType=application/x-tarvos-nsr;' "$desktop"

for size in 16 32 48 128 256; do
    icon=/usr/share/icons/hicolor/${size}x${size}/apps/brennix.png
    check "icon ${size}x${size}" bash -c "file '$icon' | grep -q 'PNG image data, $size x $size'"
done

echo "== MIME type"
mime_xml=/usr/share/mime/packages/brennix.xml
check "MIME description is well-formed" xmllint --noout "$mime_xml"
# The MIME database's own compiler validates the description; it must have nothing to say.
mkdir -p "$work/mime/packages"
cp "$mime_xml" "$work/mime/packages/"
if update-mime-database -V "$work/mime" >"$work/mime.log" 2>&1 &&
    ! grep -qiE "warning|error|unknown|invalid" "$work/mime.log" &&
    grep -q '^50:application/x-tarvos-nsr:\*\.nsr$' "$work/mime/globs2"; then
    pass "MIME description is valid"
else
    fail "MIME description is valid"
    cat "$work/mime.log"
fi
check "the system's MIME database knows *.nsr" \
    grep -q ':application/x-tarvos-nsr:\*\.nsr$' /usr/share/mime/globs2
printf 'sample' >"$work/sample.nsr"
if command -v gio >/dev/null; then
    check "a .nsr file is application/x-tarvos-nsr" bash -c \
        "gio info -a standard::content-type '$work/sample.nsr' 2>/dev/null | grep -q 'application/x-tarvos-nsr'"
fi
check "the desktop entry is registered as its handler" \
    grep -q '^application/x-tarvos-nsr=.*brennix.desktop' /usr/share/applications/mimeinfo.cache
if command -v xdg-mime >/dev/null; then
    check "brennix.desktop is the default application for it" \
        test "$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION xdg-mime query default application/x-tarvos-nsr)" = brennix.desktop
fi

# --- Run the installed program ----------------------------------------------------------------
echo "== starting the installed program"
mkdir -p "$work/home" "$work/tmp"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    fail "virtual display started"
else
    display=":$(cat "$work/display")"
    ready="$work/ready"
    # In a session of its own, so the program and the engine's helper processes end together.
    (cd "$work" && exec setsid env -i PATH=/usr/bin:/bin HOME="$work/home" TMPDIR="$work/tmp/" \
        DISPLAY="$display" LANG=C.UTF-8 NO_AT_BRIDGE=1 BRENNIX_READY_FILE="$ready" \
        brennix) >"$work/app.log" 2>&1 &
    app_pid=$!
    deadline=$((SECONDS + ready_timeout))
    while [ ! -e "$ready" ] && kill -0 "$app_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
        sleep 0.2
    done
    if [ -e "$ready" ]; then
        pass "the program started and enabled its commands (after $((SECONDS - deadline + ready_timeout)) s)"
    elif ! kill -0 "$app_pid" 2>/dev/null; then
        fail "the program started and enabled its commands (it ended early)"
    else
        fail "the program started and enabled its commands (no ready file after $ready_timeout s)"
    fi
    if ls "$work/tmp"/_ERROR*.log >/dev/null 2>&1; then
        fail "the program reported no error"
        cat "$work/tmp"/_ERROR*.log
    else
        pass "the program reported no error"
    fi
    stop_app
    if [ $failures -gt 0 ] && [ -s "$work/app.log" ]; then
        echo "-- program output:"
        tail -30 "$work/app.log"
    fi
fi

# --- Remove it -----------------------------------------------------------------------------------
if [ "${KEEP_PACKAGE:-0}" != 1 ]; then
    echo "== removing"
    if $SUDO apt-get remove -y -qq brennix >"$work/remove.log" 2>&1; then
        installed_here=0
        pass "package removed"
        check "program folder is gone" test ! -e "$app_dir/brennix"
        check "command is gone" test ! -e /usr/bin/brennix -a ! -L /usr/bin/brennix
        check "desktop entry is gone" test ! -e "$desktop"
    else
        fail "package removed"
        cat "$work/remove.log"
    fi
fi

echo
if [ $failures -eq 0 ]; then
    echo "all checks passed"
    exit 0
fi
echo "$failures check(s) failed"
exit 1
