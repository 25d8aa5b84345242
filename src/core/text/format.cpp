#include "format.h"

#include <limits>

namespace vandrel::text {

QString groupSize(qint64 value)
{
    QString s = QString::number(value);
    if (s.size() > 3)
        s.insert(s.size() - 3, QLatin1Char(' '));
    if (s.size() > 7)
        s.insert(s.size() - 7, QLatin1Char(' '));
    return s;
}

QString editPCdate(QStringView text)
{
    QString s = text.toString();
    // Positions below are 0-based forms of the 1-based rule "character 3 is the dot" etc.
    auto padBefore = [&s](qsizetype separatorAt, QChar separator, qsizetype insertAt) {
        if (s.size() > insertAt && (s.size() <= separatorAt || s.at(separatorAt) != separator))
            s.insert(insertAt, QLatin1Char('0'));
    };
    padBefore(2, QLatin1Char('.'), 0);
    padBefore(5, QLatin1Char('.'), 3);
    if (s.size() >= 17) {
        padBefore(13, QLatin1Char(':'), 11);
        padBefore(16, QLatin1Char(':'), 14);
    }
    return s;
}

QString editMOdate(QStringView text)
{
    if (text.size() < 10)
        return {};
    QString out;
    out.append(text.mid(6, 4)).append(text.mid(3, 2)).append(text.mid(0, 2));
    return out;
}

QString editTimeDate(QStringView date, QStringView time)
{
    const QString day = editMOdate(date);
    if (day.isEmpty())
        return {};
    QString clock = time.toString();
    clock.remove(QLatin1Char(':'));
    return day + QLatin1Char('T') + clock;
}

std::optional<quint64> HexToInt(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : text) {
        int digit = -1;
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        if (digit < 0 || value > (std::numeric_limits<quint64>::max() >> 4))
            return std::nullopt;
        value = (value << 4) | quint64(digit);
    }
    return value;
}

QString dateTimeText(const QDateTime &when)
{
    return when.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

QString obexTimeStamp(const QDateTime &when)
{
    return editTimeDate(when.toString(QStringLiteral("dd.MM.yyyy")), when.toString(QStringLiteral("hh:mm:ss")));
}

std::optional<QString> dateTextFromStamp(QStringView stamp)
{
    if (stamp.endsWith(QLatin1Char('Z')))
        stamp.chop(1);
    if (stamp.size() != 15 || stamp.at(8) != QLatin1Char('T'))
        return std::nullopt;
    for (qsizetype i = 0; i < stamp.size(); ++i)
        if (i != 8 && !(stamp.at(i) >= QLatin1Char('0') && stamp.at(i) <= QLatin1Char('9')))
            return std::nullopt;
    return QStringLiteral("%1.%2.%3 %4:%5:%6")
        .arg(stamp.mid(6, 2), stamp.mid(4, 2), stamp.mid(0, 4), stamp.mid(9, 2), stamp.mid(11, 2), stamp.mid(13, 2));
}

} // namespace vandrel::text
