# Sourced by the package tests: starts the terminal offscreen with a scratch home and checks
# that it comes up, creates cmd.json where it should, and runs until it is killed.
#   start_check SCRATCH WORKDIR COMMAND...   (cmd.json is expected in WORKDIR)

fail() {
    echo "FAIL: $*"
    exit 1
}

start_check() {
    scratch=$1 workdir=$2
    shift 2
    home=$scratch/home
    mkdir -p "$home" "$workdir" "$scratch/run" "$scratch/elsewhere"
    chmod 700 "$scratch/run"
    (
        cd "$scratch/elsewhere" || exit 1
        unset KIVERN_PORTS_DIR KIVERN_SYSFS_ROOT
        export HOME="$home" XDG_RUNTIME_DIR="$scratch/run" XDG_STATE_HOME="$home/.local/state"
        export XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=offscreen
        exec "$@"
    ) >"$scratch/app.log" 2>&1 &
    app=$!
    # The first start writes the default quick commands; then the window stays up.
    tries=0
    while [ ! -s "$workdir/cmd.json" ] && [ $tries -lt 50 ]; do
        kill -0 $app 2>/dev/null || break
        sleep 0.1
        tries=$((tries + 1))
    done
    sleep 1
    if ! kill -0 $app 2>/dev/null; then
        wait $app
        rc=$?
        cat "$scratch/app.log"
        app=
        fail "the terminal ended by itself (exit status $rc)"
    fi
    kill $app
    rc=0
    wait $app || rc=$?
    app=
    [ $rc -eq 143 ] || fail "the terminal did not end on SIGTERM (exit status $rc)"
    [ -s "$workdir/cmd.json" ] || fail "no cmd.json in $workdir"
    grep -q '"cmd02" : "AT+VERS?"' "$workdir/cmd.json" || fail "cmd.json lacks the default commands"
    if [ "$workdir" != "$scratch/elsewhere" ] && [ -e "$scratch/elsewhere/cmd.json" ]; then
        fail "cmd.json was written to the launcher's folder, not to $workdir"
    fi
    return 0
}
