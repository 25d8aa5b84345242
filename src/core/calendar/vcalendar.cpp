#include "vcalendar.h"

#include "core/text/cp1250.h"
#include "core/text/ucs2.h"

#include <QStringDecoder>

namespace vandrel::calendar {
namespace {

QList<QByteArray> linesOf(QByteArrayView content)
{
    QList<QByteArray> lines = content.toByteArray().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line end after the last line
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    return lines;
}

QByteArrayView afterColon(const QByteArray &line)
{
    const qsizetype k = line.indexOf(':');
    return QByteArrayView(line).sliced(k + 1);
}

bool allDigits(QByteArrayView v)
{
    for (const char c : v)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::optional<QDateTime> parseStoredTime(QByteArrayView value)
{
    QByteArrayView v = value;
    if (v.endsWith('Z'))
        v.chop(1);
    if (v.size() != 15 || v[8] != 'T' || !allDigits(v.first(8)) || !allDigits(v.sliced(9)))
        return std::nullopt;
    const QDate date(v.first(4).toInt(), v.sliced(4, 2).toInt(), v.sliced(6, 2).toInt());
    const int hour = v.sliced(9, 2).toInt();
    const int minute = v.sliced(11, 2).toInt();
    const int second = v.sliced(13, 2).toInt();
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC);
}

ShownTime shownTime(const QDateTime &stored)
{
    const QDateTime t = stored.addSecs(kShownShiftSeconds);
    return {t.date().toString(QStringLiteral("dd.MM.yyyy")), t.time().toString(QStringLiteral("H:mm:ss"))};
}

QString DecodeSummaryText(QByteArrayView value)
{
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size()) {
            const int hi = text::hexDigit(QLatin1Char(value[i + 1]));
            const int lo = text::hexDigit(QLatin1Char(value[i + 2]));
            if (hi >= 0 && lo >= 0) {
                bytes.append(char(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        bytes.append(value[i]);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    return utf8.hasError() ? text::fromCp1250(bytes) : decoded;
}

Checked<Calendar> ReadVCalendar(QByteArrayView content)
{
    using R = Checked<Calendar>;
    const QList<QByteArray> lines = linesOf(content);
    if (lines.size() < 3 || lines.first() != "BEGIN:VCALENDAR" || lines[1] != "VERSION:1.0" || lines.last() != "END:VCALENDAR")
        return R::failure(QStringLiteral("not a vCalendar 1.0 file"));

    Calendar cal;
    CalendarEvent *current = nullptr;
    bool displayAlarm = false; // the current event has a readable DALARM; an AALARM does not replace it
    const auto timeOf = [&](const QByteArray &line, QByteArrayView value) -> std::optional<QDateTime> {
        const auto t = parseStoredTime(value);
        if (!t)
            cal.problems.append(QStringLiteral("event %1: unreadable time \"%2\"").arg(cal.events.size()).arg(QString::fromLatin1(line)));
        return t;
    };
    const auto setAlarm = [&](const QByteArray &line) {
        // An alarm's run time may be followed by ";snooze;repeat;text".
        QByteArrayView value = afterColon(line);
        if (const qsizetype semicolon = value.indexOf(';'); semicolon >= 0)
            value = value.first(semicolon);
        const auto t = timeOf(line, value);
        if (!t)
            return false;
        current->alarmTime = *t;
        const ShownTime shown = shownTime(*t);
        current->alarm = shown.date + u' ' + shown.time;
        return true;
    };
    for (qsizetype i = 2; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (line == "BEGIN:VEVENT") {
            cal.events.append(CalendarEvent{});
            current = &cal.events.last();
            displayAlarm = false;
            continue;
        }
        if (line == "END:VEVENT") {
            current = nullptr; // what follows up to the next event (a VTODO, say) is not this event's
            continue;
        }
        if (!current)
            continue; // properties of the calendar itself
        if (line.contains("UID:")) {
            current->uid = QString::fromUtf8(afterColon(line));
        } else if (line.contains("DTSTART:")) {
            if (const auto t = timeOf(line, afterColon(line))) {
                current->start = *t;
                const ShownTime shown = shownTime(*t);
                current->date = shown.date;
                current->time = shown.time;
            }
        } else if (line.contains("DTEND:")) {
            if (const auto t = timeOf(line, afterColon(line))) {
                current->end = *t;
                const ShownTime shown = shownTime(*t);
                current->endDate = shown.date;
                current->endTime = shown.time;
            }
        } else if (line.contains("DALARM:")) {
            displayAlarm = setAlarm(line) || displayAlarm;
        } else if (line.startsWith("AALARM")) {
            // Other phones give only the audible alarm (often with parameters); it is shown
            // when there is no other.
            if (!displayAlarm)
                setAlarm(line);
        } else if (line.contains("SUMMARY")) {
            QByteArray value = afterColon(line).toByteArray();
            // Quoted-printable soft line breaks: every one of them joins the next line.
            while (value.endsWith('=') && i + 2 < lines.size()) {
                value.chop(1);
                value += lines[++i];
            }
            current->summary = DecodeSummaryText(value);
        }
    }
    return cal;
}

QMap<QDate, QList<qsizetype>> eventRowsByDay(const QList<CalendarEvent> &events)
{
    QMap<QDate, QList<qsizetype>> days;
    for (qsizetype row = 0; row < events.size(); ++row)
        if (const QDate day = events[row].shownDay(); day.isValid())
            days[day].append(row);
    return days;
}

} // namespace vandrel::calendar
