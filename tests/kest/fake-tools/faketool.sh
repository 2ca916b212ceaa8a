#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Stands in for tar, unzip, unrar, lsar, unar, 7zz, cp, mkdir, chmod or rm (by the name it is
# called under).
# Appends one record to $FAKE_TOOL_LOG: the number of arguments, the tool's name, what its
# standard input is, then each argument, every field followed by a NUL byte.
# Then, when the name is listed in $FAKE_TOOL_REAL, runs the real tool from $FAKE_TOOL_PATH;
# otherwise prints $FAKE_OUTPUT_<name> (if set) and exits with $FAKE_EXIT_<name> (0 when
# unset), or kills itself when that is "kill".
tool=${0##*/}
printf '%s\0' "$#" "$tool" "$(readlink /proc/$$/fd/0)" "$@" >> "$FAKE_TOOL_LOG"
case " $FAKE_TOOL_REAL " in
*" $tool "*) PATH=$FAKE_TOOL_PATH exec "$tool" "$@" ;;
esac
eval "output=\${FAKE_OUTPUT_$tool-}"
[ -n "$output" ] && printf '%s' "$output"
eval "code=\${FAKE_EXIT_$tool:-0}"
[ "$code" = kill ] && kill -KILL $$
exit "$code"
