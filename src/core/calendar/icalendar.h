#pragma once
// The calendar as an iCalendar (RFC 5545) file that any calendar program reads.
#include "vcalendar.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>

namespace vandrel::calendar {

struct ICalendarFile {
    QByteArray bytes;
    QStringList problems; // events left out or exported without their end
};

// One VEVENT per event that has a start, in list order: UID derived from the event's content
// (the same events give the same UIDs), DTSTAMP `stamp`, DTSTART/DTEND as stored (UTC), SUMMARY,
// and a display VALARM at the alarm time. CR LF line ends, lines folded at 75 octets.
ICalendarFile writeICalendar(const QList<CalendarEvent> &events, const QDateTime &stamp);

} // namespace vandrel::calendar
