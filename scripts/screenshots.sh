#!/usr/bin/env bash
# Renders the library's windows as a person sees them, under Xvfb with the
# openbox window manager, into docs/screenshots/*.png.
#
# Usage: scripts/screenshots.sh [BUILD_DIR] [NAME ...]
#   BUILD_DIR defaults to build; NAMEs pick single screenshots.
#
# Each file scripts/screenshots/*.sh lists windows with
#   shot NAME TITLE [--keys "KEY ..."] [--size WxH] [--plain] -- QXCALL_ARGUMENTS...
# which starts qxcall with the arguments, waits for a window titled TITLE
# (exactly), sends the keys (xdotool key names) if given, and writes
# docs/screenshots/NAME.png of the window with its frame (--plain: the
# window alone, read from the screen, for frameless windows such as tips). Add a file there
# for new windows; the state folders are a fresh sandbox for every run, and
# $SHOTS_DATA names a folder for files the calls need.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
[ $# -gt 0 ] && shift
wanted=("$@")
qxcall="$root/$build/bin/qxcall"
[ -x "$qxcall" ] || { echo "build qxcall first ($qxcall)" >&2; exit 1; }
out="$root/docs/screenshots"
mkdir -p "$out"

sandbox=$(mktemp -d)
export HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_DATA_HOME="$sandbox/data" \
  XDG_CACHE_HOME="$sandbox/cache" XDG_RUNTIME_DIR="$sandbox/runtime" TMPDIR="$sandbox/tmp" \
  QXVB_MACHINE_DIR="$sandbox/machine" SHOTS_DATA="$sandbox/data-files"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$TMPDIR" \
  "$QXVB_MACHINE_DIR" "$SHOTS_DATA"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$sandbox"
}
trap cleanup EXIT

# A private server: Xvfb picks a free display number itself.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp -dpi 96 >/dev/null 2>&1 &
pids+=($!)
read -r -t 20 -u "$displayfd" number
export DISPLAY=":$number"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.05
done
sleep 0.5

regex_of() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\\.^$*+?(){}|]/\\&/g')"; }

shot() {
  local name=$1 title=$2 keys="" size="" plain=""
  shift 2
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    case $1 in
      --keys) keys=$2; shift 2 ;;
      --size) size=$2; shift 2 ;;
      --plain) plain=1; shift ;;
      *) echo "shot $name: unknown option $1" >&2; return 1 ;;
    esac
  done
  shift
  if ((${#wanted[@]})) && [[ ! " ${wanted[*]} " =~ " $name " ]]; then return 0; fi
  "$qxcall" "$@" >/dev/null 2>&1 &
  local pid=$! window=""
  for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name "$(regex_of "$title")" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.05
  done
  if [ -z "$window" ]; then
    echo "shot $name: no window titled '$title'" >&2
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  if [ -n "$size" ]; then xdotool windowsize "$window" "${size%x*}" "${size#*x}"; fi
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  # shellcheck disable=SC2086
  [ -n "$keys" ] && xdotool key --delay 60 $keys
  sleep 0.4
  if [ -n "$plain" ]; then
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$window")"
    timeout 20 import -silent -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$name.png"
  else
    timeout 20 import -silent -frame -window "$window" "$out/$name.png"
  fi
  echo "wrote docs/screenshots/$name.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

for list in "$root"/scripts/screenshots/*.sh; do
  # shellcheck source=/dev/null
  source "$list"
done
