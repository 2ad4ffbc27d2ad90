#!/usr/bin/env bash
# The real Tolvek.exe at a date set with faketime (Monday 20 December 2004), on a diary of
# notes of every kind: which obsolete prompts and reminder windows appear, in which order
# and with which texts, answered from outside the process. Then the clock is moved on while
# the program is idle: 50 minutes bring no pass, a little over an hour brings the hourly
# timer's pass with the notes of period 2 only. Last "Shut down" and a check of the data
# file's bytes.
#   reminder_cycle_test.sh Tolvek.exe outside_robot.exe
source "$(dirname "$0")/program_env.sh" "$@"

fake_clock '2004-12-20 10:00:00'
record_install

# The diary, in an order of its own: the program sorts it by next occurrence when it loads.
python3 - "$install_dir/tolvek.dat" <<'PY'
import struct, sys
notes = [  # year, month, day, period, advance, declined, text
    (0, 12, 24, 2, 0, 0, "Christmas Eve"),
    (2004, 3, 5, 2, 4, 0, "dentist in March"),
    (0, 0, 20, 1, 4, 0, "every 20th"),
    (2003, 0, 10, 2, 4, 0, "every month of 2003"),
    (0, 12, 21, 0, 3, 0, "Monday reminder"),
    (2004, 12, 31, 2, 1, 0, "New Year's Eve party"),
    (2004, 12, 23, 2, 2, 0, "buy the tree"),
    (0, 1, 15, 2, 0, 0, "mid-January"),
    (0, 0, 25, 2, 4, 0, "every 25th"),
    (0, 6, 1, 1, 0, 0, "first of June"),
    (2004, 12, 19, 2, 4, 0, "yesterday"),
    (2005, 0, 1, 2, 0, 0, "every month of 2005"),
    (0, 0, 21, 7, 3, 0, "damaged period"),
    (2004, 11, 30, 2, 4, 1, "kept earlier"),
    (0, 0, 21, 2, 3, 0, "every 21st"),
    (2004, 0, 10, 2, 4, 0, "every month of 2004"),
    (0, 12, 24, 2, 0, 0, "Christmas presents"),
    (0, 3, 1, 0, 0, 0, "spring"),
]
data = struct.pack("<iI", 321, len(notes))
for y, m, d, p, a, o, text in notes:
    data += struct.pack("<6i", y, m, d, p, a, o) + text.encode("ascii").ljust(100, b"\0")
data += struct.pack("<ii", 0, 321)
open(sys.argv[1], "wb").write(data)
PY

WINEPREFIX="$prefix" timeout 120 "${clocked[@]}" "$wine" "$install_dir/Tolvek.exe" >"$work/tolvek.log" 2>&1 &
program=$!

# The obsolete sweep, last note first, then the start-up pass, last note first; on a Monday
# the start-up pass shows every period.
expected=(
    "obsolete |19. 12. 2004||yesterday"                     7  # No
    "obsolete |10. --. 2004||every month of 2004"           6  # Yes
    "obsolete |5. 3. 2004||dentist in March"                7
    "obsolete |10. --. 2003||every month of 2003"           6
    "reminder |15. 1. ---- (Saturday)||mid-January"         1012
    "reminder |1. --. 2005 (Saturday)||every month of 2005" 1012
    "reminder |24. 12. ---- (Friday)||Christmas presents"   1012
    "reminder |24. 12. ---- (Friday)||Christmas Eve"        1012
    "reminder |23. 12. 2004 (Thursday)||buy the tree"       1004  # Remove...
    "confirm             Really remove that note?"          1012  # ...Yes
    "reminder |21. --. ---- (Tuesday)||every 21st"          1012
    "reminder |21. 12. ---- (Tuesday)||Monday reminder"     1012
    "reminder |20. --. ---- (Monday)||every 20th"           1012
)
for ((i = 0; i < ${#expected[@]}; i += 2)); do
    want=${expected[i]}
    button=${expected[i + 1]}
    [ "$button" == 7 ] && button=1011  # No
    [ "$button" == 6 ] && button=1012  # Yes
    title="Tolvek:"
    [ "${want%% *}" == confirm ] && title=""
    check "window $((i / 2 + 1))" "$want" "$(R dialog "$title" "$button")"
done
check "no further window at start-up" none "$(R quiet 1500 && echo none)"

# The hourly timer counts from its start, which came after the last start-up window.
move_clock $((50 * 60))
check "no pass 50 minutes later" none "$(R quiet 1500 && echo none)"
# An hour on, the timer's pass shows the due notes of period 2, last first, and neither the
# period 1 note nor the Monday note of period 0, though it is still Monday.
move_clock $((61 * 60))
hourly=(
    "reminder |15. 1. ---- (Saturday)||mid-January"
    "reminder |1. --. 2005 (Saturday)||every month of 2005"
    "reminder |24. 12. ---- (Friday)||Christmas presents"
    "reminder |24. 12. ---- (Friday)||Christmas Eve"
    "reminder |21. --. ---- (Tuesday)||every 21st"
)
for ((i = 0; i < ${#hourly[@]}; ++i)); do
    shown=$(R dialog "Tolvek:" 1012) || true
    check "hourly window $((i + 1))" "${hourly[i]}" "$shown"
    [ -n "$shown" ] || break  # no timer: the later windows need not be waited for
done
check "no further window in the hourly pass" none "$(R quiet 1500 && echo none)"

R shutdown
wait $program && code=0 || code=$?
check "exit code after Shut down" 0 "$code"

# The file: the two notes answered Yes and the removed reminder are gone, the two passed
# notes answered No are kept with their refusal, the rest as they were, in store order.
check "data file after Shut down" \
"dentist in March:1 kept earlier:1 yesterday:1 every 20th:0 Monday reminder:0 damaged period:0 every 21st:0 \
Christmas Eve:0 Christmas presents:0 every 25th:0 New Year's Eve party:0 every month of 2005:0 mid-January:0 \
spring:0 first of June:0" \
"$(python3 - "$install_dir/tolvek.dat" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
tag, count = struct.unpack_from("<iI", data)
assert len(data) == 16 + 124 * count and struct.unpack_from("<i", data, len(data) - 4)[0] == tag
out = []
for i in range(count):
    fields = struct.unpack_from("<6i", data, 8 + 124 * i)
    text = data[8 + 124 * i + 24: 8 + 124 * (i + 1)].split(b"\0")[0].decode()
    out.append("%s:%d" % (text, fields[5]))
print(" ".join(out))
PY
)"

finish
