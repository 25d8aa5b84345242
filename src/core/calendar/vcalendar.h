#pragma once
// The phone's calendar file, a vCalendar 1.0 text, read event by event for the list.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace vandrel::calendar {

struct CalendarEvent {
    QString uid;       // "#"
    QString date;      // "Datum": DD.MM.YYYY
    QString time;      // "Čas": H:MM:SS, one hour on
    QString endDate;   // "Konečné datum"
    QString endTime;   // "Konečný čas"
    QString repeat;    // "Opakování": never filled
    QString alarm;     // "Alarm": DD.MM.YYYY H:MM:SS
    QString summary;   // "Popis"

    QStringList columns() const { return {uid, date, time, endDate, endTime, repeat, alarm, summary}; }
    friend bool operator==(const CalendarEvent &, const CalendarEvent &) = default;
};

struct Calendar {
    QList<CalendarEvent> events;
    QStringList problems; // values that could not be read; their cells stay empty
};

// Nothing (with the reason) unless the text is one vCalendar 1.0 object: first line
// "BEGIN:VCALENDAR", second "VERSION:1.0", last "END:VCALENDAR".
Checked<Calendar> ReadVCalendar(QByteArrayView content);

// Quoted-printable, then UTF-8 (cp1250 when the bytes are not valid UTF-8).
QString DecodeSummaryText(QByteArrayView value);

// YYYYMMDDTHHMMSS[Z] shown one hour on, the date moving with the hour at 23:xx.
struct ShownTime {
    QString date;
    QString time;
};
std::optional<ShownTime> shownTime(QByteArrayView value);

} // namespace vandrel::calendar
