#include "vcalendar.h"

#include "core/text/cp1250.h"
#include "core/text/ucs2.h"

#include <QDate>
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

} // namespace

std::optional<ShownTime> shownTime(QByteArrayView value)
{
    QByteArrayView v = value;
    if (v.endsWith('Z'))
        v.chop(1);
    if (v.size() != 15 || v[8] != 'T')
        return std::nullopt;
    const QDate date = QDate::fromString(QString::fromLatin1(v.first(8)), QStringLiteral("yyyyMMdd"));
    bool okH = false, okM = false, okS = false;
    const int hour = v.sliced(9, 2).toInt(&okH);
    const int minute = v.sliced(11, 2).toInt(&okM);
    const int second = v.sliced(13, 2).toInt(&okS);
    for (const char c : v.sliced(9))
        if (c < '0' || c > '9')
            return std::nullopt;
    if (!date.isValid() || !okH || !okM || !okS || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const int shifted = hour + 1;
    const QDate shown = shifted == 24 ? date.addDays(1) : date;
    return ShownTime{shown.toString(QStringLiteral("dd.MM.yyyy")),
                     QStringLiteral("%1:%2:%3").arg(shifted % 24).arg(QString::fromLatin1(v.sliced(11, 2)),
                                                                   QString::fromLatin1(v.sliced(13, 2)))};
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
    const auto setTime = [&](const QByteArray &line, QString *date, QString *time, bool joined) {
        const auto t = shownTime(afterColon(line));
        if (!t) {
            cal.problems.append(QStringLiteral("event %1: unreadable time \"%2\"").arg(cal.events.size()).arg(QString::fromLatin1(line)));
            return;
        }
        if (joined) {
            *date = t->date + u' ' + t->time;
        } else {
            *date = t->date;
            *time = t->time;
        }
    };
    for (qsizetype i = 2; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (line == "BEGIN:VEVENT") {
            cal.events.append(CalendarEvent{});
            current = &cal.events.last();
            continue;
        }
        if (!current)
            continue; // properties of the calendar itself
        if (line.contains("UID:")) {
            current->uid = QString::fromUtf8(afterColon(line));
        } else if (line.contains("DTSTART:")) {
            setTime(line, &current->date, &current->time, false);
        } else if (line.contains("DTEND:")) {
            setTime(line, &current->endDate, &current->endTime, false);
        } else if (line.contains("DALARM:")) {
            setTime(line, &current->alarm, nullptr, true);
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

} // namespace vandrel::calendar
