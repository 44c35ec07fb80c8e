# Sourced by the tests that need an X display of their own.
#
#   start_xvfb DIR WIDTHxHEIGHTxDEPTH
#
# Starts Xvfb on a display it picks itself and names through -displayfd, so
# tests starting one at the same moment never meet on one number; the name
# comes only once the server accepts connections. Sets $xvfb (its pid, for the
# caller's cleanup) and $display; the server's own words go to DIR/xvfb.log.
# Needs a fail function that prints and exits.
start_xvfb() {
    local dir="$1" screen="$2"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3> "$dir/display" 2> "$dir/xvfb.log" &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$dir/display" ] && break
        kill -0 "$xvfb" 2> /dev/null || fail "Xvfb did not start: $(cat "$dir/xvfb.log")"
        sleep 0.1
    done
    [ -s "$dir/display" ] || fail "Xvfb named no display within 10 s: $(cat "$dir/xvfb.log")"
    display=":$(head -n 1 "$dir/display")"
}
