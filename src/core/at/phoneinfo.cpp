#include "phoneinfo.h"

#include "atreply.h"

namespace vandrel::at {

const QList<InfoQuery> &phoneInfoQueries()
{
    static const QList<InfoQuery> queries{
        {"AT+CGMI", QStringLiteral("Manufacturer")}, {"AT+CGMM", QStringLiteral("Model")},
        {"AT+CGMR", QStringLiteral("Revision")},     {"AT+CGSN", QStringLiteral("Serial number")},
        {"AT+CBC", QStringLiteral("Battery")},       {"AT+CSQ", QStringLiteral("Signal")},
        {"AT+COPS?", QStringLiteral("Operator")},    {"AT+CIMI", QStringLiteral("Subscriber")},
        {"AT^SCID", QStringLiteral("SIM id")},
    };
    return queries;
}

namespace {

// "+CBC: 0,85" -> "0,85": the text after the command's own prefix, when the phone repeats it.
QByteArray withoutPrefix(const QByteArray &line)
{
    if (line.startsWith('+') || line.startsWith('^')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            return line.mid(colon + 1).trimmed();
    }
    return line;
}

QList<QByteArray> fields(const QByteArray &value)
{
    QList<QByteArray> out;
    for (const QByteArray &f : value.split(','))
        out.append(f.trimmed());
    return out;
}

QString unquoted(const QByteArray &f)
{
    QByteArray v = f;
    if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
        v = v.mid(1, v.size() - 2);
    return QString::fromLatin1(v);
}

} // namespace

QString phoneInfoValue(const QByteArray &command, const QByteArray &reply)
{
    if (isFailure(finalOf(reply)))
        return QStringLiteral("ERROR");
    const QList<QByteArray> lines = informationLines(reply, command);
    if (lines.isEmpty())
        return {};
    const QByteArray value = withoutPrefix(lines.join(' '));
    const QList<QByteArray> f = fields(value);
    bool ok = false;
    if (command == "AT+CBC" && f.size() >= 2) {
        const int charge = f.at(1).toInt(&ok);
        if (ok)
            return QStringLiteral("%1 %").arg(charge);
    }
    if (command == "AT+CSQ" && !f.isEmpty()) {
        const int rssi = f.at(0).toInt(&ok);
        if (ok && rssi == 99)
            return QStringLiteral("no signal");
        if (ok && rssi >= 0 && rssi <= 31)
            return QStringLiteral("%1 dBm").arg(-113 + 2 * rssi);
    }
    if (command == "AT+COPS?") {
        if (f.size() >= 3)
            return unquoted(f.at(2));
        return QStringLiteral("none");
    }
    return unquoted(value);
}

} // namespace vandrel::at
