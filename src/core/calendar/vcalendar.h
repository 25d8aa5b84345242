#pragma once
// The phone's calendar file, a vCalendar 1.0 text, read event by event for the list.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QStringList>
#include <optional>

namespace vandrel::calendar {

// The list shows every stored time one hour on: the phone stores its local (CET) time as UTC.
inline constexpr int kShownShiftSeconds = 3600;

struct CalendarEvent {
    // The eight columns of the list.
    QString uid;       // "#"
    QString date;      // "Datum": DD.MM.YYYY
    QString time;      // "Čas": H:MM:SS, one hour on
    QString endDate;   // "Konečné datum"
    QString endTime;   // "Konečný čas"
    QString repeat;    // "Opakování": never filled
    QString alarm;     // "Alarm": DD.MM.YYYY H:MM:SS
    QString summary;   // "Popis", decoded

    // The same times as stored in the file (UTC); invalid when absent or unreadable.
    QDateTime start;
    QDateTime end;
    QDateTime alarmTime; // DALARM, or AALARM when the event has no readable DALARM

    QStringList columns() const { return {uid, date, time, endDate, endTime, repeat, alarm, summary}; }
    // The day the event is listed under: the date of "Datum" (the shifted start).
    QDate shownDay() const { return start.isValid() ? start.addSecs(kShownShiftSeconds).date() : QDate(); }
    friend bool operator==(const CalendarEvent &, const CalendarEvent &) = default;
};

struct Calendar {
    QList<CalendarEvent> events;
    QStringList problems; // values that could not be read; their cells stay empty
};

// Nothing (with the reason) unless the text is one vCalendar 1.0 object: first line
// "BEGIN:VCALENDAR", second "VERSION:1.0", last "END:VCALENDAR". Any other input is read as
// far as it makes sense; nothing in it can make the reader fail otherwise.
Checked<Calendar> ReadVCalendar(QByteArrayView content);

// Quoted-printable, then UTF-8 (cp1250 when the bytes are not valid UTF-8).
QString DecodeSummaryText(QByteArrayView value);

// YYYYMMDDTHHMMSS with an optional Z, as UTC; nothing for any other text.
std::optional<QDateTime> parseStoredTime(QByteArrayView value);

// A stored time as the list shows it: one hour on, the date moving with the hour at 23:xx.
struct ShownTime {
    QString date; // DD.MM.YYYY
    QString time; // H:MM:SS
};
ShownTime shownTime(const QDateTime &stored);

// The month view: every day that has events (bold) with the rows listed under it, in list
// order. An event belongs to the day of its "Datum" column only.
QMap<QDate, QList<qsizetype>> eventRowsByDay(const QList<CalendarEvent> &events);

} // namespace vandrel::calendar
