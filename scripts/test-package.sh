#!/usr/bin/env bash
# Builds the Debian package in a Release build of its own, validates the
# desktop entry and the software-centre metadata, installs the package the
# way a user does, runs the installed program and removes the package again.
# Needs root (or sudo) for apt-get; refuses to run where fegolin is already
# installed, so it never removes someone's own installation.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${FEGOLIN_PACKAGE_BUILD_DIR:-build-package}
id=de.norvalt.Fegolin
sizes=(16 22 24 32 48 64 128 256)
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

checks=0
pass() { checks=$((checks + 1)); echo "ok - $*"; }
fail() { echo "FAILED - $*" >&2; exit 1; }

# desktop-file-validate prints hints (such as two main categories, which we
# want) besides errors and warnings; only the latter two fail.
validate_desktop() {
  local report
  report=$(desktop-file-validate "$1" 2>&1) || { echo "$report" >&2; return 1; }
  [ -n "$report" ] && echo "$report"
  ! grep -qE ': (error|warning): ' <<<"$report"
}

if dpkg-query -W -f='${Status}' fegolin 2>/dev/null | grep -q 'install ok installed'; then
  fail "fegolin is already installed here; remove it first (apt-get purge fegolin)"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/fegolin-package.XXXXXX")
installed=0
xvfb_pid=
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if ((installed)); then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -qq fegolin >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# --- Build and package ---------------------------------------------------------
# The test command hands over its own finished build, so the program is not
# compiled a second time; run alone, the script makes a Release build.
if [ -z "${FEGOLIN_PACKAGE_REUSE_BUILD:-}" ]; then
  cmake --preset release -B "$build" -DFEGOLIN_WERROR=ON >/dev/null
fi
cmake --build "$build" -j 2
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/package" >/dev/null
debs=("$build"/package/fegolin_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made one fegolin_*.deb"
deb=$(realpath "${debs[0]}")
pass "package built: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# --- Validate what the package carries, before installing it -------------------
validate_desktop "resources/desktop/$id.desktop" || fail "desktop-file-validate $id.desktop"
pass "desktop-file-validate $id.desktop"
appstreamcli validate --no-net "$build/desktop/$id.metainfo.xml" || fail "appstreamcli validate"
pass "appstreamcli validate $id.metainfo.xml"
# The same metadata together with the launcher and the icons it names, as a
# software centre reads them from the installed tree.
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
appstreamcli validate-tree --no-net "$work/stage" || fail "appstreamcli validate-tree"
pass "appstreamcli validate-tree of the installed tree"

fields=$(dpkg-deb --field "$deb" Package Version Architecture Maintainer Section Depends)
echo "$fields"
grep -q '^Section: utils$' <<<"$fields" || fail "section utils"
grep -qE '^Depends: .*libqt6widgets6' <<<"$fields" || fail "computed library dependencies"
grep -qE '^Depends: .*qt6-qpa-plugins' <<<"$fields" || fail "window-system plugins dependency"
grep -qE '^Depends: .*libqt6svg6' <<<"$fields" || fail "SVG icon engine dependency"
pass "control fields"

# --- Install as a user does ------------------------------------------------------
# Without recommended packages, so the declared dependencies alone must carry
# the program.
installed=1
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
  "$deb" >/dev/null 2>"$work/apt.log" || { cat "$work/apt.log" >&2; fail "apt-get install"; }
[ "$(command -v fegolin)" = /usr/bin/fegolin ] || fail "fegolin on the PATH is /usr/bin/fegolin"
file -b /usr/bin/fegolin | grep -q 'ELF 64-bit.*stripped' || fail "installed binary is a stripped ELF file"
if ldd /usr/bin/fegolin | grep -q 'not found'; then fail "every library of the installed binary is there"; fi
pass "installed /usr/bin/fegolin"

for size in "${sizes[@]}"; do
  icon=/usr/share/icons/hicolor/${size}x${size}/apps/fegolin.png
  file -b "$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is a $size px PNG"
done
file -b /usr/share/icons/hicolor/scalable/apps/fegolin.svg | grep -q 'SVG' || fail "scalable icon"
pass "icons at ${sizes[*]} px and scalable"

desktop=/usr/share/applications/$id.desktop
validate_desktop "$desktop" || fail "installed desktop entry"
grep -qx 'Exec=fegolin -ns' "$desktop" || fail "desktop entry starts fegolin without the splash"
grep -qx 'Icon=fegolin' "$desktop" || fail "desktop entry names the icon"
pass "installed desktop entry"
appstreamcli validate --no-net "/usr/share/metainfo/$id.metainfo.xml" >/dev/null \
  || fail "installed metainfo"
pass "installed metainfo"

# --- Run the installed program ----------------------------------------------------
# Its own hive, configuration and runtime folders, never the user's.
export FEGOLIN_REGISTRY="$work/registry.db"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

fegolin --help | grep -q '^Usage: fegolin' || fail "fegolin --help"
pass "fegolin --help"
fegolin --version | grep -qx "Fegolin $(dpkg-deb --field "$deb" Version)" || fail "fegolin --version"
pass "fegolin --version names the package's version"
manpage=/usr/share/man/man1/fegolin.1.gz
[ -f "$manpage" ] || fail "$manpage installed"
tests/app/ManPageTest.sh /usr/bin/fegolin "$manpage" || fail "installed manual page"
MANWIDTH=80 man fegolin 2>/dev/null | grep -q -- '--clean-once' || fail "man fegolin shows the page"
pass "man fegolin"

scratch="$work/scratch"
mkdir -p "$scratch/sub/deeper"
touch "$scratch/file.tmp" "$scratch/.hidden" "$scratch/sub/deeper/old.log"
chmod a-w "$scratch/file.tmp"
cat >"$work/list.reg" <<EOF
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin\\Paths]
"Display Name 0"="Scratch"
"Directory 0"="$scratch/"
"State 0"=dword:00000001
EOF
fegolin --reg-import "$work/list.reg" || fail "fegolin --reg-import"
fegolin --reg-export - >"$work/export.reg" || fail "fegolin --reg-export -"
grep -q "^\"Directory 0\"=\"$scratch/\"" "$work/export.reg" || fail "export shows the imported entry"
pass "fegolin --reg-import and --reg-export - on its own hive"
fegolin --clean-once
[ -d "$scratch" ] && [ -z "$(ls -A "$scratch")" ] || fail "fegolin --clean-once empties the ticked folder"
pass "fegolin --clean-once empties the ticked folder and keeps it"

# The windowed program under a bare X server: it must find its window-system
# plugin and get through its start-up, which stores the options.
# Xvfb picks a free display number and writes it to fd 3 once it listens.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 60); do
  [ -s "$work/display" ] && break
  sleep 0.5
done
[ -s "$work/display" ] || fail "Xvfb starts"
display=:$(head -n1 "$work/display")
DISPLAY=$display fegolin -ns >"$work/program.log" 2>&1 &
program_pid=$!
started=0
for _ in $(seq 120); do
  if fegolin --reg-export - 2>/dev/null | grep -q '^"Show Splash"=dword:'; then started=1; break; fi
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.5
done
((started)) || { cat "$work/program.log" >&2; fail "fegolin -ns starts under X and stores its options"; }
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=
pass "fegolin -ns starts under X"

# A user's first session, driven by mouse and keyboard, on the installed
# program: the end-to-end flow test of the build, pointed at /usr/bin.
flow="$build/tests/e2e/UserFlowE2ETest"
if [ -x "$flow" ]; then
  flow_scratch="$work/flow"
  mkdir -p "$flow_scratch/tmp" "$flow_scratch/config" "$flow_scratch/run"
  chmod 700 "$flow_scratch/run"
  env -u DISPLAY FEGOLIN_E2E_PROGRAM=/usr/bin/fegolin FEGOLIN_TEST_SCRATCH="$flow_scratch" \
    TMPDIR="$flow_scratch/tmp" XDG_CONFIG_HOME="$flow_scratch/config" XDG_RUNTIME_DIR="$flow_scratch/run" \
    FEGOLIN_REGISTRY=:memory: "$flow" || fail "the user flow on the installed program"
  pass "the user flow on the installed program"
fi

# --- Remove ------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -qq fegolin >/dev/null
installed=0
[ ! -e /usr/bin/fegolin ] && [ ! -e "$desktop" ] || fail "purge removes the program and its files"
pass "package removed"

echo "Package test: all $checks checks passed."
