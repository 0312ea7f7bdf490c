# Sourced inside a private D-Bus session by the GNOME scenarios: a headless
# compositor with one virtual 1920x1080 monitor ("Meta-0"), up before this
# returns. Needs $work; the scenario sets orvane_pid once it starts Orvane.
mutter --wayland --headless --no-x11 --virtual-monitor 1920x1080 >"$work/mutter.log" 2>&1 &
mutter_pid=$!
orvane_pid=""
display_state() {
  gdbus call --session --dest org.gnome.Mutter.DisplayConfig --object-path /org/gnome/Mutter/DisplayConfig \
    --method org.gnome.Mutter.DisplayConfig.GetCurrentState 2>/dev/null
}
wait_for() {  # wait_for SECONDS COMMAND...: polls until the command succeeds
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $deadline ] || return 1; sleep 0.1; done
}
finish() { kill "$orvane_pid" "$mutter_pid" 2>/dev/null; wait 2>/dev/null; exit "$1"; }
wait_for 60 display_state >/dev/null || { echo "FAIL: no compositor"; cat "$work/mutter.log"; finish 1; }
