# Sourced by the scripts that run kiroku.exe under Wine, and by the build's
# test emulator (cmake/wine-emulator.sh.in); plain sh.
#
# wine_prefix DIR: exports WINEPREFIX=DIR with Wine's own messages and its
# .NET and HTML installers turned off, and the first time makes the prefix
# look to kiroku as a Japanese Windows would (once, however many runs ask for
# it at the same time). Journals of earlier runs are removed, so that no game
# they left unsaved is offered at start.
wine_prefix() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
  rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Local/kiroku
  [ -f "$WINEPREFIX/.kiroku-ready" ] && return 0
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    [ -f "$WINEPREFIX/.kiroku-ready" ] && exit 0
    wineboot --init >/dev/null 2>&1
    # Without a window manager Wine would wait on every hidden window.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A Japanese face, as a Japanese Windows has one.
    cp /usr/share/fonts/opentype/ipafont-gothic/ipag*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null ||
      cp /usr/share/fonts/truetype/fonts-japanese-gothic.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Wine's own title bars fall back to it as Windows' do.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
      /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1
    wineserver --wait
    touch "$WINEPREFIX/.kiroku-ready"
  ) 9>"$WINEPREFIX.lock"
}

# wine_server ARGS: makes sure a wineserver (started with ARGS) serves
# $WINEPREFIX. The one that starts it (its output closed: it stays for a
# while) also starts Wine's services, with no
# output of a test open: they live as long as the server, and a pipe they
# hold would keep whoever reads it waiting (CMake's test discovery times out).
wine_server() {
  (
    flock 9
    # Neither may keep the lock open after this returns.
    if wineserver "$@" >/dev/null 2>&1 9>&-; then
      wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
  ) 9>"$WINEPREFIX.server-lock"
}
