// The phone's database files in its BREW file system, written by the phone's own writer: the
// address book, the calendar, and the groups, e-mail accounts and connection profiles.
#include "seed.h"

#include <core/text/cp1250.h>

#include <QDir>
#include <algorithm>

namespace vandrel::phonesim {

namespace {

QByteArray le(quint64 v, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
    return out;
}

QByteArray ucs2le(const QString &text)
{
    QByteArray out;
    for (const QChar c : text)
        out += le(c.unicode(), 2);
    return out;
}

// --- address book: records of items; numbers as typed, texts UCS-2, numbers little-endian

enum ItemId : quint16 {
    FirstName = 0x0001, Surname = 0x0003, DisplayName = 0x0005, Company = 0x0006, PrivateCity = 0x0009,
    PrivateUrl = 0x000D, BusinessPhone = 0x0011, PrivateFax = 0x0013, PrivateMobile = 0x0016, PrivatePhone = 0x0018,
    BusinessMobile = 0x0019, PrivateEmail = 0xFF1C, PrivateEmail2 = 0xFF1D, BusinessEmail = 0xFF1E, Birthday = 0xFF2A,
};

struct Field {
    ItemId id;
    QString value;
};

struct Contact {
    QList<Field> fields;
    int group = 0;
    ItemId defaultNumber = PrivatePhone;
};

bool isNumber(ItemId id)
{
    return id == PrivatePhone || id == BusinessPhone || id == PrivateMobile || id == BusinessMobile || id == PrivateFax;
}

QByteArray item(quint16 id, quint8 type, const QByteArray &data)
{
    return le(id, 2) + char(type) + QByteArray(3, '\0') + char(data.size()) + '\0' + data;
}

// The phone writes a record's items in one fixed order; a client that writes the book back
// unchanged gives the same bytes.
int itemRank(ItemId id)
{
    static constexpr ItemId order[] = {PrivateMobile, PrivatePhone, BusinessPhone, BusinessMobile, Surname,
                                       FirstName,     DisplayName,  PrivateEmail,  PrivateEmail2,  PrivateUrl,
                                       PrivateFax,    PrivateCity,  BusinessEmail, Company,        Birthday};
    return int(std::find(std::begin(order), std::end(order), id) - std::begin(order));
}

QByteArray record(const Contact &c, int number)
{
    QByteArray items;
    bool numbers = false, emails = false, address = false, urls = false, faxes = false;
    QList<Field> fields = c.fields;
    std::stable_sort(fields.begin(), fields.end(), [](const Field &a, const Field &b) { return itemRank(a.id) < itemRank(b.id); });
    for (const Field &f : std::as_const(fields)) {
        if (isNumber(f.id))
            items += item(f.id, 6, f.value.toLatin1() + '\0');
        else
            items += item(f.id, 9, ucs2le(f.value) + QByteArray(2, '\0'));
        numbers |= isNumber(f.id) && f.id != PrivateFax;
        emails |= f.id == PrivateEmail || f.id == PrivateEmail2 || f.id == BusinessEmail;
        address |= f.id == PrivateCity;
        urls |= f.id == PrivateUrl;
        faxes |= f.id == PrivateFax;
    }
    if (numbers)
        items += item(0xFF2C, 3, le(c.defaultNumber, 4));
    if (emails)
        items += item(0xFF2D, 3, le(0x801C, 4));
    if (address)
        items += item(0xFF2E, 3, le(0x05, 4));
    if (urls)
        items += item(0xFF2F, 3, le(0x0D, 4));
    if (faxes)
        items += item(0xFF30, 3, le(0x13, 4));
    if (c.group)
        items += item(0xFF39, 3, le(quint32(c.group) | 0x10000u, 4));
    items += item(0xFF3D, 5, le(quint32(number), 8));
    const QByteArray header = char(number) + QByteArray(1, '\0') + char(number + 10) + QByteArray(3, '\0');
    return le(quint32(items.size() + 8), 2) + header + items;
}

QByteArray phonebook()
{
    auto s = [](const char16_t *t) { return QString::fromUtf16(t); };
    const QList<Contact> contacts = {
        {{{FirstName, s(u"Jan")}, {Surname, s(u"Novák")}, {PrivatePhone, s(u"+420222111000")},
          {BusinessPhone, s(u"+420222333444")}, {PrivateMobile, s(u"+420602123456")},
          {BusinessMobile, s(u"+420603987654")}, {PrivateEmail, s(u"jan.novak@example.cz")},
          {PrivateEmail2, s(u"jan@novakovi.cz")}, {BusinessEmail, s(u"novak@stavby-novak.cz")},
          {PrivateCity, s(u"Praha")}, {Company, s(u"Stavby Novák s.r.o.")}, {Birthday, s(u"19750214")}},
         1, PrivateMobile},
        {{{FirstName, s(u"Věra")}, {Surname, s(u"Dvořáková")}, {PrivateMobile, s(u"+420731987654")},
          {PrivateEmail, s(u"vera@example.cz")}},
         2, PrivateMobile},
        {{{FirstName, s(u"Petr")}, {Surname, s(u"Černý")}, {PrivatePhone, s(u"+420244555666")},
          {PrivateMobile, s(u"+420777000111")}, {PrivateUrl, s(u"www.cerny.example.cz")}, {Birthday, s(u"19820901")}},
         3, PrivateMobile},
        {{{FirstName, s(u"Žofie")}, {Surname, s(u"Šťastná")}, {BusinessPhone, s(u"+420475111222")},
          {PrivateMobile, s(u"+420605555666")}, {PrivateFax, s(u"+420475111223")},
          {PrivateEmail, s(u"zofie@example.cz")}, {PrivateCity, s(u"Ústí nad Labem")}},
         1, PrivateMobile},
        // Only a surname: a company's line.
        {{{Surname, s(u"Růžička & syn")}, {BusinessPhone, s(u"+420377888999")},
          {BusinessEmail, s(u"info@ruzicka.example.cz")}, {PrivateCity, s(u"Plzeň")}},
         4, BusinessPhone},
        {{{FirstName, s(u"Jiří")}, {Surname, s(u"Dvořák")}, {DisplayName, s(u"Jirka")},
          {PrivateMobile, s(u"+420736111222")}},
         2, PrivateMobile},
    };
    QByteArray file;
    for (qsizetype i = 0; i < contacts.size(); ++i)
        file += record(contacts[i], int(i + 1));
    return file;
}

// --- calendar: vCalendar 1.0, descriptions as quoted-printable UTF-8

struct Event {
    QDateTime start, end, alarm;
    QString summary;
};

QByteArray stamp(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
}

// The property line, folded with soft line breaks so that no line passes 76 characters.
QByteArray summaryLine(const QString &summary)
{
    QByteArray plain = summary.toUtf8();
    bool ascii = true;
    for (const char c : plain)
        ascii = ascii && c >= 0x20 && c < 0x7F && c != '=';
    if (ascii)
        return "SUMMARY:" + plain;
    QByteArray line = "SUMMARY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
    qsizetype lineStart = 0;
    for (const char c : plain) {
        const quint8 b = quint8(c);
        const QByteArray piece = b > 0x20 && b < 0x7F && b != '='
            ? QByteArray(1, c)
            : "=" + QByteArray::number(b, 16).toUpper().rightJustified(2, '0');
        if (line.size() - lineStart + piece.size() > 75) {
            line += "=\r\n";
            lineStart = line.size();
        }
        line += piece;
    }
    return line;
}

QByteArray calendar()
{
    auto at = [](int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC); };
    const QList<Event> events = {
        {at(2007, 1, 15, 8, 30), at(2007, 1, 15, 9, 30), at(2007, 1, 15, 8, 15), QStringLiteral("Schůzka")},
        {at(2007, 2, 14, 18, 0), at(2007, 2, 14, 22, 0), {}, QStringLiteral("Večeře s přáteli")},
        {at(2007, 3, 1, 7, 0), at(2007, 3, 1, 7, 30), {}, QStringLiteral("Cafe bar")},
        {at(2007, 3, 20, 23, 30), at(2007, 3, 21, 0, 30), at(2007, 3, 20, 23, 0), QStringLiteral("Noční vlak do Košic")},
        {at(2007, 4, 2, 9, 0), at(2007, 4, 2, 11, 0), at(2007, 4, 2, 8, 45),
         QStringLiteral("Porada oddělení: rozpočet na příští rok, plán dovolených, nové počítače, úklid skladu a různé")},
    };
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n";
    int uid = 0;
    for (const Event &e : events) {
        out += "BEGIN:VEVENT\r\nUID:" + QByteArray::number(++uid) + "\r\nDTSTART:" + stamp(e.start) + "\r\nDTEND:"
            + stamp(e.end) + "\r\n";
        if (e.alarm.isValid())
            out += "DALARM:" + stamp(e.alarm) + "\r\n";
        out += summaryLine(e.summary) + "\r\nEND:VEVENT\r\n";
    }
    return out + "END:VCALENDAR\r\n";
}

// --- groups, e-mail accounts, connection profiles: fixed slots

QByteArray groups()
{
    const QStringList names = {QStringLiteral("Rodina"), QStringLiteral("Přátelé"), QStringLiteral("Práce"),
                               QStringLiteral("Služby"), QStringLiteral("VIP")};
    QByteArray file;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray name = text::toCp1250(names[i]).value_or(QByteArray());
        file += QByteArray("\x00\x04\x04", 3) + char(name.size() + 2) + QByteArray(2, '\0') + name
            + QByteArray("\x03\x01", 2) + char(i + 1);
    }
    return file;
}

class Slots {
public:
    explicit Slots(int size) : m_file(size, '\0') {}
    Slots &bytes(int offset, const QByteArray &b)
    {
        m_file.replace(offset, b.size(), b);
        return *this;
    }
    Slots &text(int offset, const QString &t) { return bytes(offset, t.toLatin1()); }
    Slots &wide(int offset, const QString &t) { return bytes(offset, ucs2le(t)); }
    Slots &word(int offset, int v) { return bytes(offset, le(quint32(v), 2)); }
    Slots &byte(int offset, int v) { return bytes(offset, QByteArray(1, char(v))); }
    QByteArray file() const { return m_file; }

private:
    QByteArray m_file;
};

struct Account {
    int number;
    QString name, user, address, login, password, pop3, smtp, imap4, signature;
    int pop3Port, smtpPort, imap4Port, maxSize, profile, download, signatureUse, serverType;
    bool pop3Ssl, imap4Ssl, smtpSsl, smtpAuth, keep, remove, saveSent, quote, delivery, readReport;
};

QByteArray account(const Account &a)
{
    return Slots(0x620)
        .bytes(0x000, QByteArray(1, char(a.number)) + QByteArray("\0\1\0", 3))
        .wide(0x004, a.name)
        .byte(0x085, a.serverType)
        .text(0x086, a.pop3).word(0x106, a.pop3Port).byte(0x108, a.pop3Ssl)
        .text(0x109, a.imap4).word(0x189, a.imap4Port).byte(0x18B, a.imap4Ssl)
        .text(0x18C, a.smtp).word(0x20C, a.smtpPort).byte(0x20E, a.smtpSsl).byte(0x20F, a.smtpAuth)
        .text(0x210, a.password)
        .byte(0x250, a.profile).byte(0x254, a.download).word(0x255, a.maxSize)
        .byte(0x257, a.keep).byte(0x258, a.remove).byte(0x259, a.saveSent).byte(0x25A, a.quote)
        .byte(0x25B, a.delivery).byte(0x25C, a.readReport)
        .wide(0x25D, a.user).text(0x2DD, a.login).text(0x31D, a.password).text(0x35D, a.address)
        .text(0x39D, a.address).byte(0x3DD, a.signatureUse).wide(0x3DE, a.signature).text(0x5DE, a.login)
        .file();
}

struct Profile {
    int number;
    QString name;
    bool http, secure;
    QString proxy;
    int port;
    QString login, password;
};

QByteArray profile(const Profile &p)
{
    return Slots(0x1A8)
        .byte(0x000, p.number)
        .wide(0x002, p.name).byte(0x023, p.http).byte(0x024, p.secure).text(0x025, p.proxy).word(0x0A6, p.port)
        .wide(0x0A8, p.login).wide(0x128, p.password)
        .file();
}

} // namespace

void seedDatabases(const QString &brew)
{
    const QDateTime t0(QDate(2007, 1, 10), QTime(20, 15, 0));
    putSeedFile(brew + QStringLiteral("/pbm_master_v_20.dat"), phonebook(), t0);
    putSeedFile(brew + QStringLiteral("/brew/master_events.dat"), calendar(), t0);
    const QString folder = brew + QLatin1Char('/') + QLatin1String(databaseFolderName) + QLatin1Char('/');
    putSeedFile(folder + QStringLiteral("GrpDList ver 01.db"), groups(), t0);
    const Account accounts[] = {
        {2, QStringLiteral("Pracovní pošta"), QStringLiteral("Jan Novák"), QStringLiteral("jan.novak@firma.example.cz"),
         QStringLiteral("jnovak"), QStringLiteral("tajne123"), QStringLiteral("pop.firma.example.cz"),
         QStringLiteral("smtp.firma.example.cz"), QStringLiteral("imap.firma.example.cz"),
         QStringLiteral("S pozdravem Jan Novák"), 110, 25, 143, 300, 2, 1, 1, 0,
         false, false, false, true, true, false, true, true, false, false},
        {5, QStringLiteral("Soukromá"), QStringLiteral("Věra Dvořáková"), QStringLiteral("vera@example.cz"),
         QStringLiteral("vera"), QStringLiteral("kocka77"), QStringLiteral("pop.example.cz"),
         QStringLiteral("smtp.example.cz"), QStringLiteral("imap.example.cz"), QStringLiteral("Věra"),
         995, 465, 993, 1000, 3, 2, 2, 1,
         true, true, true, true, false, true, false, false, true, true},
    };
    for (const Account &a : accounts)
        putSeedFile(folder + QStringLiteral("account%1").arg(a.number), account(a), t0);
    const Profile profiles[] = {
        {1, QStringLiteral("Internet"), true, false, {}, 0, {}, {}},
        {2, QStringLiteral("WAP Demo Net"), false, false, QStringLiteral("10.0.0.10"), 9201, QStringLiteral("wap"),
         QStringLiteral("wap")},
        {3, QStringLiteral("MMS Šifrované"), true, true, QStringLiteral("proxy.demonet.example.cz"), 8080,
         QStringLiteral("uživatel"), QStringLiteral("heslo")},
    };
    for (const Profile &p : profiles)
        putSeedFile(folder + QStringLiteral("profile%1").arg(p.number), profile(p), t0);
}

} // namespace vandrel::phonesim
