#include "icalendar.h"

#include <QCryptographicHash>
#include <QSet>

namespace vandrel::calendar {
namespace {

constexpr qsizetype kMaxLineOctets = 75;

QByteArray utcText(const QDateTime &t)
{
    return t.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
}

// TEXT value: backslash, semicolon, comma and line breaks escaped; other control characters
// are not allowed in a TEXT value and become blanks.
QByteArray escapedText(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u';': out += QStringLiteral("\\;"); break;
        case u',': out += QStringLiteral("\\,"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        default: out += (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F ? QChar(u' ') : c;
        }
    }
    return out.toUtf8();
}

// Content lines longer than 75 octets go on in lines that start with one blank; a UTF-8
// sequence is never cut.
void appendLine(QByteArray &out, const QByteArray &line)
{
    qsizetype pos = 0;
    qsizetype room = kMaxLineOctets;
    while (line.size() - pos > room) {
        qsizetype cut = pos + room;
        while (cut > pos + 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out += QByteArrayView(line).sliced(pos, cut - pos);
        out += "\r\n ";
        pos = cut;
        room = kMaxLineOctets - 1;
    }
    out += QByteArrayView(line).sliced(pos);
    out += "\r\n";
}

QByteArray contentUid(const CalendarEvent &e)
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (const QByteArray &part : {e.uid.toUtf8(), utcText(e.start), e.end.isValid() ? utcText(e.end) : QByteArray(), e.summary.toUtf8()}) {
        h.addData(part);
        h.addData(QByteArrayView("\n"));
    }
    return h.result().toHex().left(32) + "@vandrel-controller";
}

} // namespace

ICalendarFile writeICalendar(const QList<CalendarEvent> &events, const QDateTime &stamp)
{
    ICalendarFile file;
    QByteArray &out = file.bytes;
    appendLine(out, "BEGIN:VCALENDAR");
    appendLine(out, "VERSION:2.0");
    appendLine(out, "PRODID:-//Vandrel//Vandrel Controller//CS");
    QSet<QByteArray> uids;
    for (qsizetype i = 0; i < events.size(); ++i) {
        const CalendarEvent &e = events[i];
        const QString which = QStringLiteral("event %1 (UID \"%2\")").arg(i + 1).arg(e.uid);
        if (!e.start.isValid()) {
            file.problems.append(which + QStringLiteral(": no start time, left out"));
            continue;
        }
        // Two events with the same content still need two UIDs.
        const QByteArray base = contentUid(e);
        QByteArray uid = base;
        for (int n = 2; uids.contains(uid); ++n)
            uid = base + '-' + QByteArray::number(n);
        uids.insert(uid);

        appendLine(out, "BEGIN:VEVENT");
        appendLine(out, "UID:" + uid);
        appendLine(out, "DTSTAMP:" + utcText(stamp));
        appendLine(out, "DTSTART:" + utcText(e.start));
        if (e.end.isValid() && e.end >= e.start)
            appendLine(out, "DTEND:" + utcText(e.end));
        else if (e.end.isValid())
            file.problems.append(which + QStringLiteral(": ends before it starts, exported without its end"));
        appendLine(out, "SUMMARY:" + escapedText(e.summary));
        if (e.alarmTime.isValid()) {
            appendLine(out, "BEGIN:VALARM");
            appendLine(out, "ACTION:DISPLAY");
            appendLine(out, "DESCRIPTION:" + escapedText(e.summary.isEmpty() ? QStringLiteral("Alarm") : e.summary));
            appendLine(out, "TRIGGER;VALUE=DATE-TIME:" + utcText(e.alarmTime));
            appendLine(out, "END:VALARM");
        }
        appendLine(out, "END:VEVENT");
    }
    appendLine(out, "END:VCALENDAR");
    return file;
}

} // namespace vandrel::calendar
