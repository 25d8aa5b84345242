#include "composer.h"

#include "core/phonebook/exports.h"
#include "core/text/gsm7.h"
#include "pdu.h"

#include <QHash>

namespace vandrel::sms {
namespace {

constexpr int kUcs2PartUnits = 67;

// Separators people type inside numbers; they carry nothing.
bool isNumberSeparator(QChar c) { return c.isSpace() || QStringView(u"-/.()").contains(c); }

std::optional<QString> allDigits(QStringView text)
{
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return text.toString();
}

QString withoutSeparators(QStringView typed)
{
    QString out;
    for (const QChar c : typed)
        if (!isNumberSeparator(c))
            out.append(c);
    return out;
}

} // namespace

SmsCount countMessage(QStringView text)
{
    SmsCount count;
    const qsizetype septets = text::gsm7Length(text);
    count.ucs2 = septets < 0;
    count.used = int(count.ucs2 ? text.size() : septets);
    count.limit = count.ucs2 ? kMaxUcs2Parts * kUcs2PartUnits : kMaxSevenBitSeptets;
    const auto parts = splitIntoParts(text);
    count.parts = parts ? int(parts->size()) : kMaxParts + 1;
    count.overLimit = count.ucs2 ? count.parts > kMaxUcs2Parts : count.used > kMaxSevenBitSeptets;
    return count;
}

QString counterText(const SmsCount &count)
{
    const QString text = QStringLiteral("%1 / %2").arg(count.used).arg(count.limit);
    return count.ucs2 ? text + QStringLiteral(" UCS-2") : text;
}

QString withoutDiacritics(QStringView text)
{
    static const QHash<QChar, QChar> plain = [] {
        const QString accented = QStringLiteral("áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
        const QString base = QStringLiteral("acdeeinorstuuyzACDEEINORSTUUYZ");
        QHash<QChar, QChar> map;
        for (qsizetype i = 0; i < accented.size(); ++i)
            map.insert(accented[i], base[i]);
        return map;
    }();
    QString out = text.toString();
    for (QChar &c : out)
        c = plain.value(c, c);
    return out;
}

Recipient recipientOf(const QString &line)
{
    const QString &separator = phonebook::kRecipientSeparator;
    const qsizetype at = line.indexOf(separator);
    if (at < 0)
        return {line, {}};
    Recipient r{line.left(at), {}};
    const QStringList fields = line.mid(at + separator.size()).split(u';');
    for (qsizetype i = 0; i < qMin<qsizetype>(4, fields.size()); ++i)
        if (!fields[i].isEmpty())
            r.numbers.append(fields[i]);
    return r;
}

std::optional<QString> destinationNumber(QStringView typed, QStringView serviceCentre)
{
    const QString number = withoutSeparators(typed);
    if (number.startsWith(u'+')) {
        const auto digits = allDigits(QStringView(number).sliced(1));
        if (digits && digits->size() >= 8 && digits->size() <= 15)
            return digits;
        return std::nullopt;
    }
    const auto digits = allDigits(number);
    if (!digits)
        return std::nullopt;
    if (digits->size() == 12)
        return digits;
    if (digits->size() != 9 || !serviceCentre.startsWith(u'+'))
        return std::nullopt;
    const auto country = allDigits(serviceCentre.sliced(1, qMin<qsizetype>(3, serviceCentre.size() - 1)));
    if (!country || country->size() != 3)
        return std::nullopt;
    return *country + *digits;
}

std::optional<QString> serviceCentreNumber(QStringView typed)
{
    QString number = withoutSeparators(typed);
    if (!number.startsWith(u'+'))
        number.prepend(u'+');
    const auto digits = allDigits(QStringView(number).sliced(1));
    if (!digits || digits->size() != 12)
        return std::nullopt;
    return number;
}

quint8 validityForMinutes(qint64 minutes)
{
    const auto steps = [](qint64 amount, qint64 step) { return (amount + step - 1) / step; };
    constexpr qint64 kHour = 60;
    constexpr qint64 kDay = 24 * kHour;
    if (minutes <= 12 * kHour)
        return quint8(qMax<qint64>(0, steps(minutes, 5) - 1));
    if (minutes <= kDay)
        return quint8(143 + steps(minutes - 12 * kHour, 30));
    if (minutes <= 30 * kDay)
        return quint8(166 + steps(minutes, kDay));
    return quint8(192 + qMin<qint64>(63, steps(minutes, 7 * kDay)));
}

qint64 validityMinutes(quint8 octet)
{
    const int n = octet;
    if (n <= 143)
        return (n + 1) * 5;
    if (n <= 167)
        return 12 * 60 + (n - 143) * 30;
    if (n <= 196)
        return qint64(n - 166) * 24 * 60;
    return qint64(n - 192) * 7 * 24 * 60;
}

bool isSafeForAtCommand(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c == u'"' || c.unicode() == 0x7F)
            return false;
    return true;
}

std::optional<int> cmsErrorCode(QByteArrayView reply)
{
    static const QByteArray tag = "+CMS ERROR:";
    const qsizetype at = reply.indexOf(tag);
    if (at < 0)
        return std::nullopt;
    qsizetype i = at + tag.size();
    while (i < reply.size() && reply[i] == ' ')
        ++i;
    int code = 0;
    int digits = 0;
    for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9' && digits < 6; ++i, ++digits)
        code = code * 10 + (reply[i] - '0');
    if (digits == 0)
        return std::nullopt;
    return code;
}

QString cmsErrorText(int code)
{
    static const QHash<int, const char *> words = {
        // Causes from the network (TS 24.011).
        {1, "unassigned number"}, {8, "operator determined barring"}, {10, "call barred"},
        {21, "short message transfer rejected"}, {27, "destination out of service"}, {28, "unidentified subscriber"},
        {29, "facility rejected"}, {30, "unknown subscriber"}, {38, "network out of order"}, {41, "temporary failure"},
        {42, "congestion"}, {47, "resources unavailable"}, {50, "requested facility not subscribed"},
        {69, "requested facility not implemented"}, {81, "invalid short message reference"}, {95, "invalid message"},
        {96, "invalid mandatory information"}, {97, "message type not implemented"},
        {98, "message not compatible with the protocol state"}, {99, "information element not implemented"},
        {111, "protocol error"}, {127, "interworking error"},
        // Failures reported by the service centre or the phone (TS 23.040).
        {0x80, "telematic interworking not supported"}, {0x81, "short message type 0 not supported"},
        {0x82, "cannot replace short message"}, {0x8F, "protocol identifier error"},
        {0x90, "data coding scheme not supported"}, {0x91, "message class not supported"}, {0x9F, "data coding error"},
        {0xA0, "command cannot be actioned"}, {0xA1, "command unsupported"}, {0xAF, "command error"},
        {0xB0, "TPDU not supported"}, {0xC0, "service centre busy"}, {0xC1, "no service centre subscription"},
        {0xC2, "service centre system failure"}, {0xC3, "invalid recipient address"}, {0xC4, "recipient barred"},
        {0xC5, "duplicate message rejected"}, {0xC6, "validity period format not supported"},
        {0xC7, "validity period not supported"}, {0xD0, "SIM message storage full"}, {0xD1, "no message storage on the SIM"},
        {0xD2, "error in the phone"}, {0xD3, "memory capacity exceeded"}, {0xD4, "SIM toolkit busy"},
        {0xD5, "SIM data download error"}, {0xFF, "unspecified error"},
        // The phone's own (TS 27.005).
        {300, "phone failure"}, {301, "SMS service of the phone reserved"}, {302, "operation not allowed"},
        {303, "operation not supported"}, {304, "invalid PDU mode parameter"}, {305, "invalid text mode parameter"},
        {310, "SIM not inserted"}, {311, "SIM PIN required"}, {312, "PH-SIM PIN required"}, {313, "SIM failure"},
        {314, "SIM busy"}, {315, "SIM wrong"}, {316, "SIM PUK required"}, {317, "SIM PIN2 required"},
        {318, "SIM PUK2 required"}, {320, "memory failure"}, {321, "invalid memory index"}, {322, "memory full"},
        {330, "SMSC address unknown"}, {331, "no network service"}, {332, "network timeout"},
        {340, "no acknowledgement expected"}, {500, "unknown error"},
    };
    if (const char *w = words.value(code))
        return QString::fromLatin1(w);
    if (code < 128)
        return QStringLiteral("network error %1").arg(code);
    if (code >= 512)
        return QStringLiteral("phone-specific error %1").arg(code);
    return QStringLiteral("error %1").arg(code);
}

} // namespace vandrel::sms
