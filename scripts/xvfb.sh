# Sourced by the scripts that draw on an X display of their own.
#
# start_xvfb GEOMETRY [LOG]: starts Xvfb on a display number that the server
# picks itself and returns once the server takes connections, so neither a
# busy machine nor another server can race the caller to it. The server never
# resets, so a client connecting just as another leaves still finds it.
# Sets XVFB_DISPLAY (":N") and XVFB_PID; returns 1 when no server came up.
start_xvfb() {
  local geometry=$1 log=${2:-/dev/null} numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset 3>"$numfile" >"$log" 2>&1 &
  XVFB_PID=$!
  XVFB_DISPLAY=
  for _ in $(seq 600); do
    grep -q '^[0-9][0-9]*$' "$numfile" && { XVFB_DISPLAY=:$(cat "$numfile"); break; }
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numfile"
  [ -n "$XVFB_DISPLAY" ] || { echo "no X display could be started" >&2; cat "$log" >&2 2>/dev/null; return 1; }
}

# use_display GEOMETRY [LOG]: start_xvfb, DISPLAY exported, and the server
# ended with the script.
use_display() {
  start_xvfb "$@" || exit 1
  end_with_script "$XVFB_PID"
  export DISPLAY=$XVFB_DISPLAY
}

# end_with_script [PID...]: the processes are ended when the script ends,
# however it ends; the first call sets the traps. The program under test
# ($program) is ended too, and a function on_end, when the caller has one,
# runs first.
harness_pids=() harness_trapped=
end_with_script() {
  [ -n "$harness_trapped" ] || { trap harness_end EXIT; trap 'exit 130' INT; trap 'exit 143' TERM; }
  harness_trapped=1
  harness_pids+=("$@")
}
harness_end() {
  [ "$(type -t on_end)" != function ] || on_end || true
  [ -z "${program:-}" ] || kill -9 "$program" 2>/dev/null || true
  [ ${#harness_pids[@]} -eq 0 ] || kill "${harness_pids[@]}" 2>/dev/null || true
}
