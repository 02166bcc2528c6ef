# Sourced by the scripts that run Windows programs: a persistent wineserver and an X display.
# qx_wine_start starts what is missing; qx_wine_stop stops only what qx_wine_start started.
export WINEDEBUG=-all
# A crashing program ends at once instead of waiting in the debugger.
export WINEDLLOVERRIDES="winedbg.exe=d"
QX_STARTED_XVFB=""
QX_STARTED_WINESERVER=""

# True when a wineserver serves this prefix. Each server works in a folder named after the
# prefix's device and inode; servers of other prefixes (other checkouts, other runs) are
# neither taken for ours nor stopped.
qx_wineserver_running() {
  local prefix="${WINEPREFIX:-$HOME/.wine}" id pid
  [[ -d "$prefix" ]] || return 1
  id="server-$(printf '%x-%x' $(stat -c '%d %i' "$prefix"))"
  for pid in $(pgrep wineserver); do
    [[ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" == "$id" ]] && return 0
  done
  return 1
}

qx_wine_start() {
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
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

qx_wine_stop() {
  if [[ -n "$QX_STARTED_WINESERVER" ]]; then wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; fi
  if [[ -n "$QX_STARTED_XVFB" ]]; then kill "$QX_STARTED_XVFB" 2>/dev/null || true; wait "$QX_STARTED_XVFB" 2>/dev/null || true; fi
}
