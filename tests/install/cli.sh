#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The programs' command lines, run as a user would: --help, --version, a wrong option, and the
# window programs without a display. Arguments: the folder of the built programs, the version.
set -uo pipefail
bin=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
no_display="no display: set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen"

# run NAME [ENV=VALUE...] -- PROGRAM ARGS...: keeps standard output, standard error and status.
# The programs start with nothing of this session's display and a phone tree of their own.
run() {
    local name=$1; shift
    local env=()
    while [ "$1" != -- ]; do env+=("$1"); shift; done
    shift
    env -i PATH="$PATH" HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" EZX_ROOT="$scratch/phone" \
        "${env[@]}" "$@" > "$scratch/out" 2> "$scratch/err"
    status=$?
    out=$(tr -d '\r' < "$scratch/out")
    err=$(cat "$scratch/err")
    current=$name
}

expect() {
    local what=$1 got=$2 wanted=$3
    if [ "$got" != "$wanted" ]; then
        printf 'FAIL %s: %s\n  got:    %q\n  wanted: %q\n' "$current" "$what" "$got" "$wanted"
        failures=$((failures + 1))
    fi
}

# Without any display, or with an X display nobody serves, a window program says what to set
# and ends with 1: no abort, and nothing made in the phone tree or the data folder.
for program in kest glowra procwarden; do
    signature=""
    [ $program = kest ] && signature="Kest1.04"
    run "$program without a display" -- "$bin/$program"
    expect status "$status" 1
    expect stderr "$err" "$no_display"
    expect stdout "$out" "$signature"
    # Display 97 is one no server answers, unless this machine has one there.
    if [ ! -e /tmp/.X11-unix/X97 ]; then
        run "$program with an unserved X display" DISPLAY=:97 QT_QPA_PLATFORM=xcb -- "$bin/$program" open
        expect status "$status" 1
        expect stderr "$err" "$no_display"
    fi
    expect "files made" "$(ls -A "$scratch" | grep -v -e '^out$' -e '^err$')" ""
done

# --version: the name and the project's version; Kest after its signature line.
run "kest --version" -- "$bin/kest" --version
expect status "$status" 0
expect stdout "$out" "$(printf 'Kest1.04\nkest %s' "$version")"
for program in glowra procwarden; do
    run "$program --version" -- "$bin/$program" --version
    expect status "$status" 0
    expect stdout "$out" "$program $version"
    # Qt's own options and their values are no options of the program's.
    run "$program with Qt's options" -- "$bin/$program" -platform offscreen -reverse --version
    expect stdout "$out" "$program $version"
done

# --help and -h as before: glowra's text byte for byte, procwarden naming the file it reads.
glowra_usage="Usage: $bin/glowra
The light-show panel: flashes the lights to the microphone, plays and starts glowrad's schemes.
Files:
  $bin/glowra.conf
      its settings, saved on leaving by the right soft key
  $bin/glowrad
      the daemon it starts
  $scratch/phone/ezx_user/download/appwrite/setup/ezx_system.cfg
      the user's brightness"
for option in --help -h; do
    run "glowra $option" -- "$bin/glowra" $option
    expect status "$status" 0
    expect stdout "$out" "$glowra_usage"
done
mkdir -p "$scratch/elsewhere"
(cd "$scratch/elsewhere" && run "procwarden -h elsewhere" -- "$bin/procwarden" -h
 expect status "$status" 0
 expect "launcher file" "$(grep -A1 '^  applist.txt' <<< "$out" | tail -1)" \
     "      the launcher menu; now $bin/applist.txt"
 exit $failures) || failures=$((failures + $?))
touch "$scratch/elsewhere/applist.txt"
(cd "$scratch/elsewhere" && run "procwarden -h with a launcher file" -- "$bin/procwarden" --help
 expect "launcher file" "$(grep -A1 '^  applist.txt' <<< "$out" | tail -1)" \
     "      the launcher menu; now $scratch/elsewhere/applist.txt"
 exit $failures) || failures=$((failures + $?))
rm -r "$scratch/elsewhere"
run "kest --help" -- "$bin/kest" --help
expect status "$status" 0
expect stdout "$out" "$(printf 'Kest1.04\nKest1.04')"

# A wrong option: what is wrong and the usage on standard error, status 2, no window.
for program in glowra procwarden; do
    run "$program -x" QT_QPA_PLATFORM=offscreen -- "$bin/$program" -style fusion -x
    expect status "$status" 2
    expect stdout "$out" ""
    expect "first line" "$(head -1 <<< "$err")" "$program: unknown option '-x'"
    expect "second line" "$(sed -n 2p <<< "$err")" "Usage: $bin/$program"
done

# The daemons keep their usage: glowrad's with 0, ambid's with 1.
run "glowrad --help" -- "$bin/glowrad" --help
expect status "$status" 0
expect "first line" "$(head -1 <<< "$out")" "Usage:"
run "ambid -x" -- "$bin/ambid" -x
expect status "$status" 1
expect "usage line" "$(grep -c "^Usage: $bin/ambid \[-d\] \[-f\] \[-m level\]" <<< "$err")" 1

[ $failures -eq 0 ] && echo "cli: all fine"
exit $(( failures > 0 ))
