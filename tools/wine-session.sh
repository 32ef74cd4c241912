#!/usr/bin/env bash
# wine-session.sh start|stop <build-dir>
# start: an Xvfb display (when none is set), the Wine prefix (created on first use) and one
# persistent wineserver, so that each program start under Wine costs a fraction of a second.
# Prints the environment to eval. stop: ends what start began.
set -eu
cmd=$1
build=$(cd "$2" && pwd)
export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
state=$build/.wine-session
server=/usr/lib/wine/wineserver

case "$cmd" in
start)
  # What this starts lives on after the script; it must not hold the caller's pipes open.
  for fd in /proc/$$/fd/*; do
    n=${fd##*/}
    [ "$n" -gt 2 ] 2>/dev/null && eval "exec $n>&-" 2>/dev/null
  done
  mkdir -p "$state"
  # A session already started for this build is reused rather than doubled.
  if [ -z "${DISPLAY:-}" ] && [ -f "$state/xvfb.pid" ] && [ -f "$state/display" ] &&
     kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    export DISPLAY=$(cat "$state/display")
  fi
  if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 130); do
      [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
      Xvfb :$n -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
      echo $! >"$state/xvfb.pid"
      for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
      export DISPLAY=:$n
      echo "$DISPLAY" >"$state/display"
      break
    done
  fi
  mkdir -p "$WINEPREFIX"
  # Fails harmlessly when this prefix's server is already running.
  "$server" -p >/dev/null 2>&1 </dev/null || true
  # Boot the prefix (created on first use) so that Wine's own services start here, detached from
  # the output of the programs under test; otherwise they would hold a test's output pipe open.
  /usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null || true
  # Machine settings live twice in a 64-bit prefix: 32-bit programs read HKLM\Software through
  # its 32-bit view. Both views get each setting.
  reg_machine() {
    for view in /reg:64 /reg:32; do
      /usr/lib/wine/wine64 reg add "$@" "$view" /f >/dev/null 2>&1 </dev/null || true
    done
  }
  # Wine's interface fonts have no Chinese glyphs; link them to the installed CJK font so menus,
  # tabs, grids and screenshots show characters rather than boxes. Once per prefix.
  if [ ! -f "$WINEPREFIX/.fontlink3" ]; then
    link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" Arial "Times New Roman"; do
      reg_machine "$link" /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei"
    done
    # The Chinese faces that themes and pages ask for by name.
    for face in SimSun "宋体" "Microsoft YaHei" "微软雅黑" KaiTi "楷体" "楷体_GB2312"; do
      /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
        /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 </dev/null || true
    done
    touch "$WINEPREFIX/.fontlink3"
  fi
  # Xvfb runs no window manager. Wine would still hand activated and captioned windows to one and,
  # on every hide or destroy, wait two seconds for it to let them go; unmanaged windows are
  # mapped and unmapped by Wine alone. Once per prefix.
  if [ ! -f "$WINEPREFIX/.unmanaged" ]; then
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >/dev/null 2>&1 </dev/null || true
    touch "$WINEPREFIX/.unmanaged"
  fi
  # A crashing program ends at once with a failure instead of waiting in Wine's debugger.
  if [ ! -f "$WINEPREFIX/.nodebugger2" ]; then
    reg_machine 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d false
    touch "$WINEPREFIX/.nodebugger2"
  fi
  echo "export DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='"
  ;;
stop)
  "$server" -k 2>/dev/null || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
  fi
  ;;
*)
  echo "usage: $0 start|stop <build-dir>" >&2
  exit 2
  ;;
esac
