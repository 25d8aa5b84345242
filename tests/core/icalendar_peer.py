#!/usr/bin/python3
"""iCalendar peer for the tests: python3-icalendar reads our .ics text.

Reads {"ics": TEXT} on stdin and writes {"errors": [...], "events": [{"uid", "start", "end",
"summary", "alarms": [{"action", "trigger", "description"}]}]} on stdout; times as UTC
YYYYMMDDTHHMMSSZ, a floating or zoned time is an error.
"""
import datetime
import json
import sys

import icalendar


def utc(value, errors):
    if not isinstance(value, datetime.datetime) or value.utcoffset() != datetime.timedelta(0):
        errors.append("not a UTC date-time: %r" % (value,))
        return None
    return value.strftime("%Y%m%dT%H%M%SZ")


def main():
    request = json.load(sys.stdin)
    cal = icalendar.Calendar.from_ical(request["ics"].encode("utf-8"))
    errors = []
    for component in cal.walk():
        errors += ["%s: %s" % (component.name, e) for e in getattr(component, "errors", [])]
    if str(cal.get("VERSION")) != "2.0" or not cal.get("PRODID"):
        errors.append("VERSION 2.0 and PRODID required")
    events = []
    for ev in cal.walk("VEVENT"):
        if not ev.get("DTSTAMP"):
            errors.append("VEVENT without DTSTAMP")
        events.append({
            "uid": str(ev.get("UID")),
            "start": utc(ev.decoded("DTSTART"), errors),
            "end": utc(ev.decoded("DTEND"), errors) if ev.get("DTEND") is not None else None,
            "summary": str(ev.get("SUMMARY")),
            "alarms": [{"action": str(a.get("ACTION")), "trigger": utc(a.decoded("TRIGGER"), errors),
                        "description": str(a.get("DESCRIPTION"))} for a in ev.walk("VALARM")],
        })
    json.dump({"errors": errors, "events": events}, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
