#include "seed.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace vandrel::phonesim {

QString obexRootOf(const QString &root)
{
    return root + QStringLiteral("/obex");
}

QString brewRootOf(const QString &root)
{
    return root + QStringLiteral("/brew-fs");
}

namespace {

// Recognisable, reproducible content of a given size.
QByteArray pattern(qint64 size, quint8 salt)
{
    QByteArray out(size, '\0');
    quint32 x = 0x9E3779B9u ^ salt;
    for (qint64 i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        out[i] = char(x >> 24);
    }
    return out;
}

bool put(const QString &path, const QByteArray &data, const QDateTime &when = {})
{
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        return false;
    f.flush(); // a later flush would move the time stamp to now
    if (when.isValid())
        f.setFileTime(when, QFileDevice::FileModificationTime);
    return true;
}

void seedObex(const QString &obex)
{
    const QDateTime t0(QDate(2005, 3, 7), QTime(9, 5, 1));
    const QString mmc = obex + QStringLiteral("/mmc");
    const QString user = obex + QStringLiteral("/user");
    const QString pictures = mmc + QStringLiteral("/Obrázky");
    put(pictures + QStringLiteral("/Dovolená & hory.jpg"), QByteArrayLiteral("\xFF\xD8\xFF\xE0") + pattern(18000, 1), t0);
    put(pictures + QStringLiteral("/Žluťoučký kůň.png"), QByteArrayLiteral("\x89PNG\r\n\x1A\n") + pattern(5200, 2), t0.addDays(3));
    put(pictures + QStringLiteral("/tapeta.bmp"), QByteArrayLiteral("BM") + pattern(76798, 3), t0.addDays(10));
    put(pictures + QStringLiteral("/<prázdný>.gif"), {}, t0.addDays(11));
    const QString sounds = mmc + QStringLiteral("/Zvuky");
    put(sounds + QStringLiteral("/zvonění.mid"), QByteArrayLiteral("MThd") + pattern(3100, 4), t0.addDays(20));
    put(sounds + QStringLiteral("/budík.amr"), QByteArrayLiteral("#!AMR\n") + pattern(9000, 5), t0.addDays(21));
    // A folder whose listing needs several OBEX packets.
    const QString many = mmc + QStringLiteral("/Hudba/Velká sbírka");
    for (int i = 1; i <= 150; ++i)
        put(many + QStringLiteral("/Skladba č. %1 – Tom & Jerry.mp3").arg(i, 3, 10, QLatin1Char('0')),
            pattern(200 + i, quint8(i)), t0.addSecs(3600LL * i));
    QDir().mkpath(mmc + QStringLiteral("/Prázdná složka"));
    put(user + QStringLiteral("/Poznámky.txt"), QStringLiteral("Nákup: chléb, mléko, máslo\r\n").toUtf8(), t0);
    put(user + QStringLiteral("/Dokumenty/smlouva.txt"), pattern(1500, 7), t0.addDays(1));
    // A file the phone protects: deleting it is forbidden.
    const QString locked = user + QStringLiteral("/systém.cfg");
    put(locked, QByteArrayLiteral("locked=1\r\n"), t0);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

// The phone's address book file: records of items, numbers little-endian, texts UCS-2.
QByteArray phonebook()
{
    struct Contact {
        const char16_t *first, *surname, *city, *birthday;
        const char *mobile, *business, *email;
        int group;
    };
    const Contact contacts[] = {
        {u"Jan", u"Novák", u"Praha", u"14.02.1975", "+420602123456", "+420222333444", "jan.novak@example.cz", 1},
        {u"Věra", u"Dvořáková", u"Brno", u"", "+420731987654", "", "vera@example.cz", 2},
        {u"Petr", u"Černý", u"", u"01.09.1982", "+420777000111", "", "", 0},
        {u"Žofie", u"Šťastná", u"Ústí nad Labem", u"", "+420605555666", "+420475111222", "zofie@example.cz", 1},
        {u"Tomáš", u"Růžička & syn", u"Plzeň", u"", "", "+420377888999", "info@example.cz", 3},
    };
    auto le = [](quint64 v, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
        return out;
    };
    auto item = [&le](quint16 id, quint8 type, const QByteArray &data) {
        return le(id, 2) + char(type) + QByteArray(3, '\0') + char(data.size()) + '\0' + data;
    };
    auto text = [&item](quint16 id, const QString &t) {
        QByteArray data;
        for (QChar c : t)
            data += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
        return t.isEmpty() ? QByteArray() : item(id, 9, data + QByteArray(2, '\0'));
    };
    auto number = [&item](quint16 id, const char *n) {
        return *n ? item(id, 6, QByteArray(n) + '\0') : QByteArray();
    };
    QByteArray file;
    int recordNo = 0;
    for (const Contact &c : contacts) {
        ++recordNo;
        QByteArray items = text(0x0001, QString::fromUtf16(c.first)) + text(0x0003, QString::fromUtf16(c.surname))
            + number(0x0011, c.business) + number(0x0016, c.mobile) + text(0xFF1C, QString::fromLatin1(c.email))
            + text(0x0009, QString::fromUtf16(c.city)) + text(0xFF2A, QString::fromUtf16(c.birthday));
        items += item(0xFF2C, 3, le(*c.mobile ? 0x16 : 0x11, 4));
        if (*c.email)
            items += item(0xFF2D, 3, le(0x801C, 4));
        if (*c.city)
            items += item(0xFF2E, 3, le(0x05, 4));
        if (c.group)
            items += item(0xFF39, 3, le(quint32(c.group) | 0x10000u, 4));
        items += item(0xFF3D, 5, le(quint32(recordNo), 8));
        const QByteArray header = char(recordNo) + QByteArray(1, '\0') + char(recordNo + 10) + QByteArray(3, '\0');
        file += le(quint32(items.size() + 8), 2) + header + items;
    }
    return file;
}

void seedBrew(const QString &brew)
{
    put(brew + QStringLiteral("/pbm_master_v_20.dat"), phonebook());
    const QDateTime t0(QDate(2006, 5, 14), QTime(18, 30, 0));
    const QString mod = brew + QStringLiteral("/brew/mod");
    put(mod + QStringLiteral("/game/game.mod"), pattern(100000, 11), t0);
    put(mod + QStringLiteral("/game/game.mif"), pattern(812, 12), t0);
    put(mod + QStringLiteral("/game/save/slot1.sav"), pattern(256, 13), t0);
    put(mod + QStringLiteral("/clock/clock.mod"), pattern(257, 14), t0);
    put(mod + QStringLiteral("/clock/clock.mif"), pattern(1, 15), t0);
    put(mod + QStringLiteral("/clock/empty.dat"), {}, t0);
    QDir().mkpath(mod + QStringLiteral("/empty"));
    // Where Java programs and themes are installed.
    QDir().mkpath(mod + QStringLiteral("/java_ams/config/games"));
    QDir().mkpath(mod + QStringLiteral("/java_ams/config/apps"));
    QDir().mkpath(mod + QStringLiteral("/cmgr/pp"));
    // More entries than one sequence byte can count.
    for (int i = 0; i < 310; ++i)
        put(mod + QStringLiteral("/many-files/file%1.dat").arg(i, 3, 10, QLatin1Char('0')), pattern(i % 37, quint8(i)), t0);
    for (int i = 0; i < 140; ++i)
        QDir().mkpath(mod + QStringLiteral("/many-folders/dir%1").arg(i, 3, 10, QLatin1Char('0')));
    put(brew + QStringLiteral("/brew/shared/readme.txt"), QByteArrayLiteral("BREW shared folder\r\n"), t0);
    // A name written by the client as cp1250 bytes ("Písnička.txt"), stored byte for byte.
    put(brew + QStringLiteral("/brew/shared/P%EDsni%E8ka.txt"), QByteArrayLiteral("la la la\r\n"), t0);
    // The calendar: vCalendar 1.0, descriptions as quoted-printable UTF-8.
    put(brew + QStringLiteral("/brew/master_events.dat"),
        QByteArrayLiteral("BEGIN:VCALENDAR\r\nVERSION:1.0\r\n"
                          "BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20070115T083000Z\r\nDTEND:20070115T093000Z\r\n"
                          "DALARM:20070115T081500Z\r\nSUMMARY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Sch=C5=AFzka\r\n"
                          "END:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:2\r\nDTSTART:20070214T180000Z\r\nDTEND:20070214T220000Z\r\n"
                          "SUMMARY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Ve=C4=8De=C5=99e s p=C5=99=C3=A1teli\r\n"
                          "END:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:3\r\nDTSTART:20070301T070000Z\r\nDTEND:20070301T073000Z\r\n"
                          "SUMMARY:Cafe bar\r\nEND:VEVENT\r\n"
                          "END:VCALENDAR\r\n"),
        t0);
}

// Folders get a fixed time too, so two seeded phones list alike.
void stampFolders(const QString &root, const QDateTime &when)
{
    const timespec t{time_t(when.toSecsSinceEpoch()), 0};
    const timespec times[2] = {t, t};
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        ::utimensat(AT_FDCWD, QFile::encodeName(it.next()).constData(), times, 0);
}

} // namespace

bool seedWhenEmpty(const QString &root)
{
    QDir dir(root);
    if (dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        return true;
    if (!QDir().mkpath(root))
        return false;
    seedObex(obexRootOf(root));
    seedBrew(brewRootOf(root));
    stampFolders(root, QDateTime(QDate(2005, 3, 1), QTime(12, 0, 0)));
    return true;
}

} // namespace vandrel::phonesim
