#!/usr/bin/python3
"""Checks an exported diary (diary.ics, from export_diaries) against what Tolvek's own
rules say of each note (expected.txt), with Debian's python3-icalendar and
python3-recurring-ical-events as the independent reader:

- every line of the file: CR LF, at most 75 octets, no character split by a fold;
- the calendar's and every event's required properties, byte by byte;
- every note's events expanded over ten years give exactly the days Tolvek's
  next-occurrence rule gives (a day the month lacks on the month's last day);
- every alarm fires at 09:00 on the first day of the reminder window (a month: 30 days);
- the text, the stored date, advance and period come back as written.

Usage: check_export.py FOLDER TODAY(YYYY-MM-DD)
"""

import datetime
import pathlib
import re
import sys

import icalendar
import recurring_ical_events

folder = pathlib.Path(sys.argv[1])
today = datetime.date.fromisoformat(sys.argv[2])
raw = (folder / "diary.ics").read_bytes()
failures = []


def fail(message):
    failures.append(message)


# The bytes: no byte-order mark, CR LF everywhere, 75 octets, folds between characters.
if raw.startswith(b"\xef\xbb\xbf"):
    fail("the file starts with a byte-order mark")
if not raw.endswith(b"\r\n"):
    fail("the file does not end with CR LF")
physical = raw[:-2].split(b"\r\n")
for number, line in enumerate(physical, 1):
    if b"\n" in line or b"\r" in line:
        fail(f"line {number}: a bare CR or LF")
    if len(line) > 75:
        fail(f"line {number}: {len(line)} octets")
    try:
        line.decode("utf-8")
    except UnicodeDecodeError:
        fail(f"line {number}: not whole UTF-8 characters (a fold inside a character?)")
logical = []
for line in physical:
    if line.startswith(b" "):
        logical[-1] += line[1:]
    else:
        logical.append(line)
logical = [line.decode("utf-8") for line in logical]

head = ["BEGIN:VCALENDAR", "VERSION:2.0"]
if logical[:2] != head or not logical[2].startswith("PRODID:"):
    fail(f"the calendar starts {logical[:3]}")
for required in ("CALSCALE:GREGORIAN", "METHOD:PUBLISH"):
    if required not in logical[:8]:
        fail(f"the calendar lacks {required}")
if logical[-1] != "END:VCALENDAR":
    fail("the calendar does not end with END:VCALENDAR")

# Every event: its required properties, byte by byte.
events, current = [], None
for line in logical:
    if line == "BEGIN:VEVENT":
        current = []
    elif line == "END:VEVENT":
        events.append(current)
        current = None
    elif current is not None:
        current.append(line)
uids = set()
patterns = [r"UID:[0-9a-f]{16}-\d+(-february)?@tolvek\.diary", r"DTSTAMP:\d{8}T\d{6}Z",
            r"DTSTART;VALUE=DATE:\d{8}", r"DTEND;VALUE=DATE:\d{8}", r"SUMMARY:.*", r"TRANSP:TRANSPARENT",
            r"X-TOLVEK-DATE:\d{4}-\d{2}-\d{2}", r"X-TOLVEK-ADVANCE:-?\d+", r"X-TOLVEK-PERIOD:-?\d+",
            r"BEGIN:VALARM", r"ACTION:DISPLAY", r"DESCRIPTION:.*", r"TRIGGER:-?P(\d+D)?(T\d+H)?", r"END:VALARM"]
for lines in events:
    for pattern in patterns:
        if not any(re.fullmatch(pattern, line) for line in lines):
            fail(f"an event lacks {pattern}: {lines[:2]}")
    uid = next((line for line in lines if line.startswith("UID:")), "")
    if uid in uids:
        fail(f"two events share {uid}")
    uids.add(uid)

# The expansion by the independent library against Tolvek's own rule.
expected = {}
for line in (folder / "expected.txt").read_text().splitlines():
    number, stored, advance, period, days, text = line.split(" ")
    expected[int(number)] = {
        "stored": stored, "advance": int(advance), "period": int(period),
        "days": set() if days == "-" else {datetime.datetime.strptime(d, "%Y%m%d").date() for d in days.split(",")},
        "text": bytes.fromhex(text).decode("utf-8"),
    }
calendar = icalendar.Calendar.from_ical(raw)
try:
    end = today.replace(year=today.year + 10)
except ValueError:  # 29 February
    end = today.replace(year=today.year + 10, day=28) + datetime.timedelta(days=1)
found = {number: set() for number in expected}
for occurrence in recurring_ical_events.of(calendar).between(today, end):
    summary = str(occurrence.get("SUMMARY"))
    number = int(summary.split(" ")[0][1:])
    start = occurrence.get("DTSTART").dt
    found[number].add(start)
    if occurrence.get("DTEND").dt != start + datetime.timedelta(days=1):
        fail(f"note {number}: an occurrence on {start} does not end the next day")
window = {0: 30, 1: 7, 2: 3, 3: 1}
for component in calendar.walk("VEVENT"):
    summary = str(component.get("SUMMARY"))
    number = int(summary.split(" ")[0][1:])
    want = expected[number]
    if summary != want["text"]:
        fail(f"note {number}: the summary reads {summary!r}, not {want['text']!r}")
    year, month, day = (int(part) for part in str(component.get("X-TOLVEK-DATE")).split("-"))
    if f"{year}-{month}-{day}" != want["stored"]:
        fail(f"note {number}: X-TOLVEK-DATE {component.get('X-TOLVEK-DATE')} for {want['stored']}")
    if int(component.get("X-TOLVEK-ADVANCE")) != want["advance"] or int(component.get("X-TOLVEK-PERIOD")) != want["period"]:
        fail(f"note {number}: advance or period changed")
    alarms = component.walk("VALARM")
    if len(alarms) != 1:
        fail(f"note {number}: {len(alarms)} alarms")
        continue
    trigger = alarms[0].get("TRIGGER").dt
    days_before = window.get(want["advance"], 0)
    if trigger != datetime.timedelta(days=-days_before, hours=9):
        fail(f"note {number} (advance {want['advance']}): the alarm fires {trigger} from the day's start")
    if str(alarms[0].get("DESCRIPTION")) != want["text"]:
        fail(f"note {number}: the alarm's description differs")
for number, want in expected.items():
    if found[number] != want["days"]:
        extra = sorted(found[number] - want["days"])[:5]
        missing = sorted(want["days"] - found[number])[:5]
        fail(f"note {number} ({want['stored']}): the library gives extra days {extra}, misses {missing}")

occurrences = sum(len(days) for days in found.values())
print(f"{len(expected)} notes, {len(events)} events, {occurrences} occurrences over ten years from {today}, "
      f"{len(physical)} lines checked")
for message in failures[:40]:
    print("FAIL:", message)
sys.exit(1 if failures else 0)
