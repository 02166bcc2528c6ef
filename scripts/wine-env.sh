# shellcheck shell=bash
# Sourced by the scripts that run Windows programs. This is the one place that decides which
# Wine loader runs each target and whether this machine runs the 32-bit target at all; it
# also keeps a persistent wineserver and an X display.
#   qx_wine_loader ARCH     the loader of a target (x86_64 or i686)
#   qx_runs_i686            true when 32-bit programs run here; QX_I686_WHY says why not
#   qx_default_target       sets QX_DEFAULT_TARGET (i686 where it runs, else x86_64) and
#                           QX_TARGET_WHY
#   qx_wine_start/stop      start what is missing; stop only what qx_wine_start started
# Wine's own messages off, unless the caller chose channels: the checked trees' tests set
# the heap channel for each program, and this file is sourced by the emulator that starts it.
export WINEDEBUG="${WINEDEBUG:--all}"
# A crashing program ends at once instead of waiting in the debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winedbg.exe=d}"
QX_STARTED_XVFB=""
QX_STARTED_WINESERVER=""

# Debian's `wine` wrapper is never used: whenever wine32 is installed it starts the 32-bit
# loader, also for 64-bit programs, and where the kernel runs no 32-bit programs that loader
# fails with "Exec format error" before anything else happens.
QX_WINE64_LOADER="${QX_WINE64_LOADER:-/usr/lib/wine/wine64}"
QX_WINE32_LOADER="${QX_WINE32_LOADER:-/usr/lib/wine/wine}"

qx_wine_loader() {
  case "$1" in
    x86_64) echo "$QX_WINE64_LOADER" ;;
    i686) echo "$QX_WINE32_LOADER" ;;
    *) echo "qx_wine_loader: unknown target '$1'" >&2; return 2 ;;
  esac
}

# The target a Windows program was built for, from the machine field of its PE header;
# x86_64 for anything that is not a 32-bit x86 image (Wine's built-in programs included).
qx_pe_target() {
  local file="$1" offset machine
  [[ -f "$file" ]] || { echo x86_64; return; }
  offset=$(od -An -tu4 -j60 -N4 "$file" 2>/dev/null | tr -d ' ')
  machine=$(od -An -tx2 -j"${offset:-0}" -N6 "$file" 2>/dev/null | awk '{print $3}')
  [[ "$machine" == 014c ]] && echo i686 || echo x86_64
}

# Does this machine run 32-bit programs? Machines of our kind differ: on some the kernel's
# IA-32 emulation is off, and every 32-bit program (wine32 with it) fails to start. The
# answer comes from the 32-bit dynamic loader; QX_RUN_I686=yes|no forces it either way.
qx_runs_i686() {
  case "${QX_RUN_I686:-}" in
    yes) QX_I686_WHY="QX_RUN_I686=yes"; return 0 ;;
    no) QX_I686_WHY="QX_RUN_I686=no"; return 1 ;;
    "") ;;
    *) echo "QX_RUN_I686 must be yes or no, not '$QX_RUN_I686'" >&2; exit 2 ;;
  esac
  if [[ ! -x /lib/ld-linux.so.2 ]]; then
    QX_I686_WHY="there is no 32-bit loader (/lib/ld-linux.so.2)"
    return 1
  fi
  local answer
  if answer=$(/lib/ld-linux.so.2 --version 2>&1); then
    QX_I686_WHY="this machine runs 32-bit programs"
    return 0
  fi
  answer="$(head -n 1 <<<"$answer")"
  QX_I686_WHY="this kernel runs no 32-bit programs (/lib/ld-linux.so.2 --version: ${answer##*: })"
  return 1
}

# shellcheck disable=SC2034  # read by the scripts that source this file
qx_default_target() {
  if qx_runs_i686; then
    QX_DEFAULT_TARGET=i686 QX_TARGET_WHY="the target the tool ships on, and $QX_I686_WHY"
  else
    QX_DEFAULT_TARGET=x86_64 QX_TARGET_WHY="i686 cannot run here: $QX_I686_WHY"
  fi
}

# True when a wineserver serves this prefix. Each server works in a folder named after the
# prefix's device and inode; servers of other prefixes (other checkouts, other runs) are
# neither taken for ours nor stopped.
qx_wineserver_running() {
  local prefix="${WINEPREFIX:-$HOME/.wine}" device inode id pid
  [[ -d "$prefix" ]] || return 1
  read -r device inode < <(stat -c '%d %i' "$prefix")
  id="$(printf 'server-%x-%x' "$device" "$inode")"
  for pid in $(pgrep wineserver); do
    [[ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" == "$id" ]] && return 0
  done
  return 1
}

qx_wine_start() {
  local prefix="${WINEPREFIX:-$HOME/.wine}"
  if [[ ! -f "$prefix/system.reg" ]]; then
    echo "there is no Wine prefix at $prefix: run scripts/setup.sh first" >&2
    return 1
  fi
  if [[ -z "${DISPLAY:-}" ]]; then
    local n=99
    while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QX_STARTED_XVFB=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  fi
  if ! qx_wineserver_running; then
    wineserver -p
    QX_STARTED_WINESERVER=1
  fi
  # The first Windows program starts Wine's own services (winedevice, explorer). Start them
  # here, away from the test runner's pipes: a runner waits for every process that holds
  # its output open, and these stay up as long as the wineserver.
  "$(qx_wine_loader x86_64)" cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

qx_wine_stop() {
  if [[ -n "$QX_STARTED_WINESERVER" ]]; then wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; fi
  if [[ -n "$QX_STARTED_XVFB" ]]; then kill "$QX_STARTED_XVFB" 2>/dev/null || true; wait "$QX_STARTED_XVFB" 2>/dev/null || true; fi
}
