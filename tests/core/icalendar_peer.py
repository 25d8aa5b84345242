#!/usr/bin/python3
"""iCalendar peer for the tests: python3-icalendar reads our .ics text.

Reads {"ics": TEXT}; writes {"errors": [...], "uids": DISTINCT_UIDS, "events": [[start, end,
summary, [action, trigger, description] or []], ...]}, times as UTC YYYYMMDDTHHMMSSZ.
"""
import datetime
import json
import sys

import icalendar

errors = []


def utc(component, name):
    if component.get(name) is None:
        return None
    value = component.decoded(name)
    if not isinstance(value, datetime.datetime) or value.utcoffset() != datetime.timedelta(0):
        errors.append("%s is not a UTC date-time: %r" % (name, value))
    return value.strftime("%Y%m%dT%H%M%SZ")


cal = icalendar.Calendar.from_ical(json.load(sys.stdin)["ics"].encode("utf-8"))
for c in cal.walk():
    errors += ["%s: %s" % (c.name, e) for e in c.errors]
if str(cal.get("VERSION")) != "2.0" or not cal.get("PRODID"):
    errors.append("VERSION 2.0 and PRODID required")
events = cal.walk("VEVENT")
errors += ["VEVENT without DTSTAMP" for ev in events if ev.get("DTSTAMP") is None]
json.dump({"errors": errors, "uids": len({str(ev.get("UID")) for ev in events}),
           "events": [[utc(ev, "DTSTART"), utc(ev, "DTEND"), str(ev.get("SUMMARY")),
                       [[str(a.get("ACTION")), utc(a, "TRIGGER"), str(a.get("DESCRIPTION"))] for a in ev.walk("VALARM")]]
                      for ev in events]}, sys.stdout)
