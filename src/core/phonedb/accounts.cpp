#include "accounts.h"

#include "core/text/cp1250.h"
#include "core/text/ucs2.h"

#include <QtEndian>

namespace vandrel::phonedb {
namespace {

enum class Kind { Text8, Ucs2, Word, Byte, Flag };

struct Slot {
    const char *name;
    int offset;
    Kind kind;
    QString TEmail::*text = nullptr;
    int TEmail::*number = nullptr;
    bool TEmail::*flag = nullptr;
};

Slot text8(const char *n, int o, QString TEmail::*m) { return {n, o, Kind::Text8, m}; }
Slot ucs2(const char *n, int o, QString TEmail::*m) { return {n, o, Kind::Ucs2, m}; }
Slot word(const char *n, int o, QString TEmail::*m) { return {n, o, Kind::Word, m}; }
Slot byte(const char *n, int o, int TEmail::*m) { return {n, o, Kind::Byte, nullptr, m}; }
Slot flag(const char *n, int o, bool TEmail::*m) { return {n, o, Kind::Flag, nullptr, nullptr, m}; }

// Every slot but the account name, in file order.
const QList<Slot> &accountSlots()
{
    static const QList<Slot> table = {
        byte("serverType", 0x085, &TEmail::serverType),
        text8("pop3Server", 0x086, &TEmail::pop3Server),
        word("pop3Port", 0x106, &TEmail::pop3Port),
        flag("pop3Ssl", 0x108, &TEmail::pop3Ssl),
        text8("imap4Server", 0x109, &TEmail::imap4Server),
        word("imap4Port", 0x189, &TEmail::imap4Port),
        flag("imap4Ssl", 0x18B, &TEmail::imap4Ssl),
        text8("smtpServer", 0x18C, &TEmail::smtpServer),
        word("smtpPort", 0x20C, &TEmail::smtpPort),
        flag("smtpSsl", 0x20E, &TEmail::smtpSsl),
        flag("smtpAuth", 0x20F, &TEmail::smtpAuth),
        text8("smtpPassword", 0x210, &TEmail::smtpPassword),
        byte("dataProfile", 0x250, &TEmail::dataProfile),
        byte("downloadMode", 0x254, &TEmail::downloadMode),
        word("maxMessageSize", 0x255, &TEmail::maxMessageSize),
        flag("keepOnServer", 0x257, &TEmail::keepOnServer),
        flag("deleteOnServer", 0x258, &TEmail::deleteOnServer),
        flag("saveSent", 0x259, &TEmail::saveSent),
        flag("quoteOriginal", 0x25A, &TEmail::quoteOriginal),
        flag("deliveryReport", 0x25B, &TEmail::deliveryReport),
        flag("readReport", 0x25C, &TEmail::readReport),
        ucs2("userName", 0x25D, &TEmail::userName),
        text8("userId", 0x2DD, &TEmail::userId),
        text8("password", 0x31D, &TEmail::password),
        text8("emailAddress", 0x35D, &TEmail::emailAddress),
        text8("replyTo", 0x39D, &TEmail::replyTo),
        byte("signatureUse", 0x3DD, &TEmail::signatureUse),
        ucs2("signature", 0x3DE, &TEmail::signature),
        text8("smtpUserId", 0x5DE, &TEmail::smtpUserId),
    };
    return table;
}

constexpr int kNameOffset = 0x004;
constexpr int kAccountFileSize = 0x5DE + 0x40;

int byteAt(QByteArrayView f, qsizetype at) { return at >= 0 && at < f.size() ? static_cast<unsigned char>(f[at]) : 0; }

// From `start` up to the first run of `zeros` zero bytes found from `searchFrom` (or the end).
QByteArrayView slotUntilZeros(QByteArrayView f, qsizetype start, int zeros, qsizetype searchFrom)
{
    if (start >= f.size())
        return {};
    const qsizetype end = f.indexOf(QByteArray(zeros, '\0'), searchFrom);
    if (end >= 0 && end <= start)
        return {};
    return f.sliced(start, (end < 0 ? f.size() : end) - start);
}

QString ucs2Text(QByteArrayView bytes)
{
    QString t = text::fromUcs2(bytes, text::Endian::Little);
    if (t.endsWith(QChar(0)))
        t.chop(1);
    return t;
}

// The room a slot has up to the next slot (or the end of the file).
int roomOf(const Slot &s)
{
    const QList<Slot> &all = accountSlots();
    for (qsizetype i = 0; i < all.size(); ++i)
        if (all[i].offset == s.offset)
            return (i + 1 < all.size() ? all[i + 1].offset : kAccountFileSize) - s.offset;
    return 0;
}

} // namespace

QString accountFileName(int n) { return QStringLiteral("account%1").arg(n); }
QString profileFileName(int n) { return QStringLiteral("profile%1").arg(n); }

TEmail readAccount(QByteArrayView f)
{
    TEmail a;
    a.accountName = ucs2Text(slotUntilZeros(f, kNameOffset, 5, 0));
    for (const Slot &s : accountSlots()) {
        switch (s.kind) {
        case Kind::Text8: a.*s.text = text::fromCp1250(slotUntilZeros(f, s.offset, 4, s.offset)); break;
        case Kind::Ucs2: a.*s.text = ucs2Text(slotUntilZeros(f, s.offset, 4, s.offset)); break;
        case Kind::Word: a.*s.text = QString::number(byteAt(f, s.offset) | byteAt(f, s.offset + 1) << 8); break;
        case Kind::Byte: a.*s.number = byteAt(f, s.offset); break;
        case Kind::Flag: a.*s.flag = byteAt(f, s.offset) != 0; break;
        }
    }
    return a;
}

GProfil readProfile(QByteArrayView f)
{
    GProfil p;
    p.profileName = ucs2Text(slotUntilZeros(f, 0x002, 5, 0x002));
    p.isHttp = byteAt(f, 0x023);
    p.isSecure = byteAt(f, 0x024);
    p.proxyServer = text::fromCp1250(slotUntilZeros(f, 0x025, 5, 0x025));
    p.proxyPort = byteAt(f, 0x0A6) | byteAt(f, 0x0A7) << 8;
    p.login = ucs2Text(slotUntilZeros(f, 0x0A8, 5, 0x0A8));
    p.password = ucs2Text(slotUntilZeros(f, 0x128, 5, 0x128));
    return p;
}

Checked<QByteArray> writeAccount(const TEmail &a, int fileNumber)
{
    using R = Checked<QByteArray>;
    QByteArray f(kAccountFileSize, '\0');
    // Bytes 0..3 are not read back; the file number there keeps the name from starting
    // inside a run of zeros.
    const quint32 head = qToLittleEndian(quint32(fileNumber));
    f.replace(0, 4, QByteArrayView(reinterpret_cast<const char *>(&head), 4));

    const auto refuse = [&](const char *field, const QString &why) {
        return R::failure(QStringLiteral("account \"%1\", %2: %3").arg(a.accountName, QLatin1String(field), why));
    };
    const auto putText = [&](int offset, const QString &value, bool wide, int room, int zeros) -> QString {
        if (value.contains(QChar(0)))
            return QStringLiteral("a NUL character cannot be stored");
        QByteArray bytes;
        if (wide) {
            bytes = text::toUcs2(value, text::Endian::Little);
        } else {
            qsizetype bad = -1;
            const auto b = text::toCp1250(value, &bad);
            if (!b)
                return QStringLiteral("the character \"%1\" has no place in the Windows-1250 code page").arg(value.at(bad));
            bytes = *b;
        }
        if (bytes.size() + zeros > room)
            return QStringLiteral("%1 bytes do not fit the slot of %2").arg(bytes.size()).arg(room - zeros);
        f.replace(offset, bytes.size(), bytes);
        return {};
    };

    if (const QString why = putText(kNameOffset, a.accountName, true, 0x085 - kNameOffset, 5); !why.isEmpty())
        return refuse("accountName", why);
    for (const Slot &s : accountSlots()) {
        QString why;
        switch (s.kind) {
        case Kind::Text8:
        case Kind::Ucs2:
            why = putText(s.offset, a.*s.text, s.kind == Kind::Ucs2, roomOf(s), 4);
            break;
        case Kind::Word: {
            bool ok = true;
            const QString &t = a.*s.text;
            const uint v = t.isEmpty() ? 0 : t.toUInt(&ok);
            if (!ok || v > 0xFFFF)
                why = QStringLiteral("\"%1\" is not a number from 0 to 65535").arg(t);
            f[s.offset] = char(v & 0xFF);
            f[s.offset + 1] = char(v >> 8);
            break;
        }
        case Kind::Byte:
            if (a.*s.number < 0 || a.*s.number > 255)
                why = QStringLiteral("%1 is not a value from 0 to 255").arg(a.*s.number);
            f[s.offset] = char(a.*s.number);
            break;
        case Kind::Flag:
            f[s.offset] = a.*s.flag ? 1 : 0;
            break;
        }
        if (!why.isEmpty())
            return refuse(s.name, why);
    }
    return f;
}

} // namespace vandrel::phonedb
