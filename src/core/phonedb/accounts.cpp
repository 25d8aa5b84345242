#include "accounts.h"

#include "core/text/cp1250.h"
#include "core/text/ucs2.h"

#include <QtEndian>

namespace vandrel::phonedb {
namespace {

enum class Kind { Name, Text8, Ucs2, Word, Byte, Flag };

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

// Every slot, in file order.
const QList<Slot> &accountSlots()
{
    static const QList<Slot> table = {
        {"accountName", 0x004, Kind::Name, &TEmail::accountName},
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

constexpr int kAccountFileSize = 0x5DE + 0x40;

bool isText(Kind k) { return k == Kind::Name || k == Kind::Text8 || k == Kind::Ucs2; }
int zerosAfter(Kind k) { return k == Kind::Name ? 5 : 4; }
int widthOf(Kind k) { return k == Kind::Word ? 2 : 1; }

// The room a slot has up to the next slot (the last one up to the end of a new file).
int roomOf(qsizetype index)
{
    const QList<Slot> &all = accountSlots();
    return (index + 1 < all.size() ? all[index + 1].offset : kAccountFileSize) - all[index].offset;
}

int byteAt(QByteArrayView f, qsizetype at) { return at >= 0 && at < f.size() ? static_cast<unsigned char>(f[at]) : 0; }

// A text slot: from `start` up to the first run of `zeros` zero bytes found from `searchFrom`.
// Not terminated when no such run follows: the file ends inside the text.
struct TextSpan {
    QByteArrayView bytes;
    bool terminated = false;
};
TextSpan textSpan(QByteArrayView f, qsizetype start, int zeros, qsizetype searchFrom)
{
    if (start >= f.size())
        return {};
    const qsizetype end = f.indexOf(QByteArray(zeros, '\0'), searchFrom);
    if (end < 0)
        return {f.sliced(start), false};
    return {f.sliced(start, qMax(end, start) - start), true};
}

TextSpan spanOf(QByteArrayView f, const Slot &s)
{
    return textSpan(f, s.offset, zerosAfter(s.kind), s.kind == Kind::Name ? 0 : s.offset);
}

QString ucs2Text(QByteArrayView bytes)
{
    QString t = text::fromUcs2(bytes, text::Endian::Little);
    if (t.endsWith(QChar(0)))
        t.chop(1);
    return t;
}

// The account, and the first slot the file ends before (nullptr when none).
TEmail readSlots(QByteArrayView f, const Slot **cutShort)
{
    TEmail a;
    *cutShort = nullptr;
    for (const Slot &s : accountSlots()) {
        if (isText(s.kind)) {
            const TextSpan span = spanOf(f, s);
            a.*s.text = s.kind == Kind::Text8 ? text::fromCp1250(span.bytes) : ucs2Text(span.bytes);
            if (!span.terminated && !*cutShort)
                *cutShort = &s;
            continue;
        }
        if (s.offset + widthOf(s.kind) > f.size() && !*cutShort)
            *cutShort = &s;
        switch (s.kind) {
        case Kind::Word: a.*s.text = QString::number(byteAt(f, s.offset) | byteAt(f, s.offset + 1) << 8); break;
        case Kind::Byte: a.*s.number = byteAt(f, s.offset); break;
        case Kind::Flag: a.*s.flag = byteAt(f, s.offset) != 0; break;
        default: break;
        }
    }
    return a;
}

QString tooLarge(const QString &fileName, qsizetype size)
{
    return QStringLiteral("%1: %2 bytes is too large for a phone database file (at most %3)").arg(fileName).arg(size).arg(kMaxDatabaseFileSize);
}

QString accountWho(const QString &name) { return QStringLiteral("account \"%1\"").arg(name); }

// 0..65535 as plain decimal, or nothing.
std::optional<QString> portNumber(const QString &text)
{
    bool ok = false;
    const uint v = text.trimmed().toUInt(&ok, 10);
    if (!ok || v > 0xFFFF)
        return std::nullopt;
    return QString::number(v);
}

// The bytes a text slot would hold, or why it cannot hold the value.
QString encodeText(const Slot &s, int room, const QString &value, QByteArray *bytes)
{
    if (value.contains(QChar(0)))
        return QStringLiteral("a NUL character cannot be stored");
    if (s.kind == Kind::Text8) {
        qsizetype bad = -1;
        const auto b = text::toCp1250(value, &bad);
        if (!b)
            return QStringLiteral("the character \"%1\" has no place in the Windows-1250 code page").arg(value.at(bad));
        *bytes = *b;
    } else {
        *bytes = text::toUcs2(value, text::Endian::Little);
    }
    if (bytes->size() + zerosAfter(s.kind) > room)
        return QStringLiteral("%1 bytes do not fit the slot of %2").arg(bytes->size()).arg(room - zerosAfter(s.kind));
    return {};
}

// The account with its numbers in plain decimal, or the first value that cannot be stored.
// Texts equal to `reference` are not checked: they are not written.
Checked<TEmail> checkedAccount(TEmail a, const TEmail &reference, const QString &who)
{
    const QList<Slot> &all = accountSlots();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Slot &s = all[i];
        QString why;
        if (s.kind == Kind::Word) {
            const auto v = portNumber(a.*s.text);
            if (v)
                a.*s.text = *v;
            else
                why = QStringLiteral("\"%1\" is not a number from 0 to 65535").arg(a.*s.text);
        } else if (s.kind == Kind::Byte) {
            if (a.*s.number < 0 || a.*s.number > 255)
                why = QStringLiteral("%1 is not a value from 0 to 255").arg(a.*s.number);
        } else if (isText(s.kind) && a.*s.text != reference.*s.text) {
            QByteArray unused;
            why = encodeText(s, roomOf(i), a.*s.text, &unused);
        }
        if (!why.isEmpty())
            return Checked<TEmail>::failure(QStringLiteral("%1, %2: %3").arg(who, QLatin1String(s.name), why));
    }
    return a;
}

QByteArray blankAccountFile(int fileNumber)
{
    QByteArray f(kAccountFileSize, '\0');
    // Bytes 0..3 are not read back; the file number there keeps the name from starting
    // inside a run of zeros.
    const quint32 head = qToLittleEndian(quint32(fileNumber));
    f.replace(0, 4, QByteArrayView(reinterpret_cast<const char *>(&head), 4));
    return f;
}

void ensureSize(QByteArray &f, qsizetype size)
{
    if (f.size() < size)
        f.resize(size, '\0');
}

// `base` with the values of `target` that differ from what `base` holds written into it.
Checked<QByteArray> patchAccount(QByteArray f, const TEmail &wanted, const QString &who)
{
    const TEmail reference = readAccount(f);
    const auto checked = checkedAccount(wanted, reference, who);
    if (!checked)
        return Checked<QByteArray>::failure(checked.error());
    const TEmail &target = *checked;
    const QByteArray before = f;
    const QList<Slot> &all = accountSlots();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Slot &s = all[i];
        switch (s.kind) {
        case Kind::Name:
        case Kind::Text8:
        case Kind::Ucs2: {
            if (target.*s.text == reference.*s.text)
                break;
            QByteArray bytes;
            encodeText(s, roomOf(i), target.*s.text, &bytes);
            // Clear what the old text held, and room for the zeros that end the new one.
            const qsizetype oldLength = spanOf(before, s).bytes.size();
            const qsizetype clearEnd = s.offset + qMin<qsizetype>(roomOf(i), qMax(oldLength, bytes.size() + zerosAfter(s.kind)));
            ensureSize(f, clearEnd);
            f.replace(s.offset, clearEnd - s.offset, QByteArray(clearEnd - s.offset, '\0'));
            f.replace(s.offset, bytes.size(), bytes);
            break;
        }
        case Kind::Word:
            if (target.*s.text != reference.*s.text) {
                const uint v = (target.*s.text).toUInt();
                ensureSize(f, s.offset + 2);
                f[s.offset] = char(v & 0xFF);
                f[s.offset + 1] = char(v >> 8);
            }
            break;
        case Kind::Byte:
            if (target.*s.number != reference.*s.number) {
                ensureSize(f, s.offset + 1);
                f[s.offset] = char(target.*s.number);
            }
            break;
        case Kind::Flag:
            if (target.*s.flag != reference.*s.flag) {
                ensureSize(f, s.offset + 1);
                f[s.offset] = target.*s.flag ? 1 : 0;
            }
            break;
        }
    }
    // A file whose slots run into each other can turn one value into another.
    const TEmail back = readAccount(f);
    if (back != target) {
        for (const Slot &s : all) {
            const bool same = s.text ? back.*s.text == target.*s.text : s.number ? back.*s.number == target.*s.number : back.*s.flag == target.*s.flag;
            if (!same)
                return Checked<QByteArray>::failure(
                    QStringLiteral("%1, %2: the value would not read back from this file as it is").arg(who, QLatin1String(s.name)));
        }
    }
    return f;
}

} // namespace

QString accountFileName(int n) { return QStringLiteral("account%1").arg(n); }
QString profileFileName(int n) { return QStringLiteral("profile%1").arg(n); }

TEmail readAccount(QByteArrayView f)
{
    const Slot *cutShort = nullptr;
    return readSlots(f, &cutShort);
}

Checked<AccountRecord> readAccountFile(QByteArrayView bytes, const QString &fileName)
{
    using R = Checked<AccountRecord>;
    if (bytes.size() > kMaxDatabaseFileSize)
        return R::failure(tooLarge(fileName, bytes.size()));
    const Slot *cutShort = nullptr;
    TEmail a = readSlots(bytes, &cutShort);
    if (cutShort)
        return R::failure(QStringLiteral("%1: the file is cut short, it ends (at %2 bytes) inside %3 at offset 0x%4")
                              .arg(fileName)
                              .arg(bytes.size())
                              .arg(QLatin1String(cutShort->name))
                              .arg(cutShort->offset, 3, 16, QLatin1Char('0')));
    return AccountRecord{std::move(a), bytes.toByteArray(), fileName};
}

Checked<AccountRecord> newAccount(const QString &name)
{
    TEmail a;
    a.accountName = name;
    const auto checked = checkedAccount(a, TEmail{}, accountWho(name));
    if (!checked)
        return Checked<AccountRecord>::failure(checked.error());
    return AccountRecord{*checked, {}, {}};
}

Checked<TEmail> storeAccount(const TEmail &current, const TEmail &controls)
{
    TEmail a = controls;
    a.accountName = current.accountName;
    return checkedAccount(a, current, accountWho(current.accountName));
}

Checked<QByteArray> writeAccount(const AccountRecord &record, int fileNumber)
{
    const QString who = QStringLiteral("account %1 (\"%2\")").arg(fileNumber).arg(record.account.accountName);
    return patchAccount(record.original.isEmpty() ? blankAccountFile(fileNumber) : record.original, record.account, who);
}

Checked<QByteArray> writeAccount(const TEmail &account, int fileNumber)
{
    return writeAccount(AccountRecord{account, {}, {}}, fileNumber);
}

// --- profiles

namespace {
constexpr int kProfileName = 0x002, kProfileHttp = 0x023, kProfileSecure = 0x024, kProfileProxy = 0x025;
constexpr int kProfilePort = 0x0A6, kProfileLogin = 0x0A8, kProfilePassword = 0x128;
}

GProfil readProfile(QByteArrayView f)
{
    GProfil p;
    p.profileName = ucs2Text(textSpan(f, kProfileName, 5, kProfileName).bytes);
    p.isHttp = byteAt(f, kProfileHttp);
    p.isSecure = byteAt(f, kProfileSecure);
    p.proxyServer = text::fromCp1250(textSpan(f, kProfileProxy, 5, kProfileProxy).bytes);
    p.proxyPort = byteAt(f, kProfilePort) | byteAt(f, kProfilePort + 1) << 8;
    p.login = ucs2Text(textSpan(f, kProfileLogin, 5, kProfileLogin).bytes);
    p.password = ucs2Text(textSpan(f, kProfilePassword, 5, kProfilePassword).bytes);
    return p;
}

Checked<GProfil> readProfileFile(QByteArrayView bytes, const QString &fileName)
{
    using R = Checked<GProfil>;
    if (bytes.size() > kMaxDatabaseFileSize)
        return R::failure(tooLarge(fileName, bytes.size()));
    const struct {
        const char *name;
        int offset;
    } texts[] = {{"profileName", kProfileName}, {"proxyServer", kProfileProxy}, {"login", kProfileLogin}, {"password", kProfilePassword}};
    for (const auto &t : texts)
        if (!textSpan(bytes, t.offset, 5, t.offset).terminated)
            return R::failure(QStringLiteral("%1: the file is cut short, it ends (at %2 bytes) inside %3 at offset 0x%4")
                                  .arg(fileName)
                                  .arg(bytes.size())
                                  .arg(QLatin1String(t.name))
                                  .arg(t.offset, 3, 16, QLatin1Char('0')));
    return readProfile(bytes);
}

Checked<GProfil> storeProfile(const GProfil &current, const ProfileControls &controls)
{
    const auto port = portNumber(controls.proxyPort);
    if (!port)
        return Checked<GProfil>::failure(QStringLiteral("profile \"%1\", proxyPort: \"%2\" is not a number from 0 to 65535")
                                             .arg(current.profileName, controls.proxyPort));
    return GProfil{controls.profileName, controls.http ? 1 : 0, controls.secure ? 1 : 0, controls.proxyServer,
                   qint32(port->toInt()),       controls.login,  controls.password};
}

} // namespace vandrel::phonedb
