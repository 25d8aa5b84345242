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

QString smsStoreOf(const QString &root)
{
    return root + QStringLiteral("/messages.txt");
}

QString databaseFolderOf(const QString &root)
{
    return brewRootOf(root) + QLatin1Char('/') + QLatin1String(databaseFolderName);
}

bool putSeedFile(const QString &path, const QByteArray &data, const QDateTime &when)
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

void seedObex(const QString &obex)
{
    const QDateTime t0(QDate(2005, 3, 7), QTime(9, 5, 1));
    const QString mmc = obex + QStringLiteral("/mmc");
    const QString user = obex + QStringLiteral("/user");
    const QString pictures = mmc + QStringLiteral("/Obrázky");
    putSeedFile(pictures + QStringLiteral("/Dovolená & hory.jpg"), QByteArrayLiteral("\xFF\xD8\xFF\xE0") + pattern(18000, 1), t0);
    putSeedFile(pictures + QStringLiteral("/Žluťoučký kůň.png"), QByteArrayLiteral("\x89PNG\r\n\x1A\n") + pattern(5200, 2), t0.addDays(3));
    putSeedFile(pictures + QStringLiteral("/tapeta.bmp"), QByteArrayLiteral("BM") + pattern(76798, 3), t0.addDays(10));
    putSeedFile(pictures + QStringLiteral("/<prázdný>.gif"), {}, t0.addDays(11));
    const QString sounds = mmc + QStringLiteral("/Zvuky");
    putSeedFile(sounds + QStringLiteral("/zvonění.mid"), QByteArrayLiteral("MThd") + pattern(3100, 4), t0.addDays(20));
    putSeedFile(sounds + QStringLiteral("/budík.amr"), QByteArrayLiteral("#!AMR\n") + pattern(9000, 5), t0.addDays(21));
    // A folder whose listing needs several OBEX packets.
    const QString many = mmc + QStringLiteral("/Hudba/Velká sbírka");
    for (int i = 1; i <= 150; ++i)
        putSeedFile(many + QStringLiteral("/Skladba č. %1 – Tom & Jerry.mp3").arg(i, 3, 10, QLatin1Char('0')),
            pattern(200 + i, quint8(i)), t0.addSecs(3600LL * i));
    QDir().mkpath(mmc + QStringLiteral("/Prázdná složka"));
    putSeedFile(user + QStringLiteral("/Poznámky.txt"), QStringLiteral("Nákup: chléb, mléko, máslo\r\n").toUtf8(), t0);
    putSeedFile(user + QStringLiteral("/Dokumenty/smlouva.txt"), pattern(1500, 7), t0.addDays(1));
    // A file the phone protects: deleting it is forbidden.
    const QString locked = user + QStringLiteral("/systém.cfg");
    putSeedFile(locked, QByteArrayLiteral("locked=1\r\n"), t0);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

void seedBrew(const QString &brew)
{
    const QDateTime t0(QDate(2006, 5, 14), QTime(18, 30, 0));
    const QString mod = brew + QStringLiteral("/brew/mod");
    putSeedFile(mod + QStringLiteral("/game/game.mod"), pattern(100000, 11), t0);
    putSeedFile(mod + QStringLiteral("/game/game.mif"), pattern(812, 12), t0);
    putSeedFile(mod + QStringLiteral("/game/save/slot1.sav"), pattern(256, 13), t0);
    putSeedFile(mod + QStringLiteral("/clock/clock.mod"), pattern(257, 14), t0);
    putSeedFile(mod + QStringLiteral("/clock/clock.mif"), pattern(1, 15), t0);
    putSeedFile(mod + QStringLiteral("/clock/empty.dat"), {}, t0);
    QDir().mkpath(mod + QStringLiteral("/empty"));
    // Where Java programs and themes are installed.
    QDir().mkpath(mod + QStringLiteral("/java_ams/config/games"));
    QDir().mkpath(mod + QStringLiteral("/java_ams/config/apps"));
    QDir().mkpath(mod + QStringLiteral("/cmgr/pp"));
    // More entries than one sequence byte can count.
    for (int i = 0; i < 310; ++i)
        putSeedFile(mod + QStringLiteral("/many-files/file%1.dat").arg(i, 3, 10, QLatin1Char('0')), pattern(i % 37, quint8(i)), t0);
    for (int i = 0; i < 140; ++i)
        QDir().mkpath(mod + QStringLiteral("/many-folders/dir%1").arg(i, 3, 10, QLatin1Char('0')));
    putSeedFile(brew + QStringLiteral("/brew/shared/readme.txt"), QByteArrayLiteral("BREW shared folder\r\n"), t0);
    // A name written by the client as cp1250 bytes ("Písnička.txt"), stored byte for byte.
    putSeedFile(brew + QStringLiteral("/brew/shared/P%EDsni%E8ka.txt"), QByteArrayLiteral("la la la\r\n"), t0);
    seedDatabases(brew);
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

bool seedWhenEmpty(const QString &root, const SeedOptions &options)
{
    QDir dir(root);
    if (dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        return true;
    if (!QDir().mkpath(root))
        return false;
    seedObex(obexRootOf(root));
    seedBrew(brewRootOf(root));
    seedMessages(smsStoreOf(root), options.messages);
    stampFolders(root, QDateTime(QDate(2005, 3, 1), QTime(12, 0, 0)));
    return true;
}

} // namespace vandrel::phonesim
