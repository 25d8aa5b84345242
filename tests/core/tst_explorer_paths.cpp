#include "common/testmain.h"

#include <core/explorer/drives.h>
#include <core/explorer/pcpath.h>

#include <QTest>

using namespace vandrel::explorer;

class ExplorerPcPathTest : public QObject {
    Q_OBJECT
private slots:
    void resolve_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("returnName");
        QTest::newRow("up from a/b/photos") << u"/data/a/b/photos/.."_qs << u"/data/a/b/"_qs << u"photos"_qs;
        QTest::newRow("up to the root") << u"/data/.."_qs << u"/"_qs << u"data"_qs;
        QTest::newRow("up from the root stays") << u"/.."_qs << u"/"_qs << QString();
        QTest::newRow("drive: up to its root") << u"c:/data/.."_qs << u"c:/"_qs << u"data"_qs;
        QTest::newRow("drive root: stays") << u"c:/.."_qs << u"c:/"_qs << QString();
        QTest::newRow("backslashes") << u"c:\\data\\photos\\.."_qs << u"c:\\data/"_qs << u"photos"_qs;
        QTest::newRow("a folder gets its separator") << u"/data/a"_qs << u"/data/a/"_qs << QString();
        QTest::newRow("a folder keeps its separator") << u"/data/a/"_qs << u"/data/a/"_qs << QString();
        QTest::newRow("a bare drive is its root") << u"c:"_qs << u"c:/"_qs << QString();
        QTest::newRow("a name ending in dots is no way up") << u"/data/a.."_qs << u"/data/a../"_qs << QString();
        QTest::newRow("a folder named ..x") << u"/data/..x"_qs << u"/data/..x/"_qs << QString();
        QTest::newRow("name with blanks") << u"/home/u/My files/.."_qs << u"/home/u/"_qs << u"My files"_qs;
    }
    void resolve()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, returnName);
        const PcTarget t = resolvePcPath(path);
        QCOMPARE(t.folder, folder);
        QCOMPARE(t.returnName, returnName);
    }

    void roots_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("root");
        QTest::newRow("slash") << u"/"_qs << true;
        QTest::newRow("drive") << u"c:/"_qs << true;
        QTest::newRow("drive, backslash") << u"D:\\"_qs << true;
        QTest::newRow("one level down") << u"/data/"_qs << false;
        QTest::newRow("drive, one level down") << u"c:/data/"_qs << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("three characters, no drive") << u"ab/"_qs << false;
    }
    void roots()
    {
        QFETCH(QString, path);
        QFETCH(bool, root);
        QCOMPARE(isPcRoot(path), root);
    }

    void names_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("folder");
        QTest::newRow("file") << u"/home/u/a.txt"_qs << u"a.txt"_qs << u"/home/u/"_qs;
        QTest::newRow("folder with separator") << u"/home/u/docs/"_qs << u"docs"_qs << u"/home/u/"_qs;
        QTest::newRow("in the root") << u"/a.txt"_qs << u"a.txt"_qs << u"/"_qs;
        QTest::newRow("drive") << u"c:\\x\\a.txt"_qs << u"a.txt"_qs << u"c:\\x\\"_qs;
        QTest::newRow("no separator") << u"a.txt"_qs << u"a.txt"_qs << QString();
    }
    void names()
    {
        QFETCH(QString, path);
        QFETCH(QString, last);
        QFETCH(QString, folder);
        QCOMPARE(lastName(path), last);
        QCOMPARE(folderOf(path), folder);
    }

    void dropped_data()
    {
        QTest::addColumn<QList<DroppedPath>>("dropped");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("folder docs, then a.txt")
            << QList<DroppedPath>{{u"/home/u/docs"_qs, true}, {u"/home/u/a.txt"_qs, false}}
            << QStringList{u"[docs]"_qs, u"a.txt"_qs};
        QTest::newRow("drop order kept, not sorted")
            << QList<DroppedPath>{{u"/x/z.txt"_qs, false}, {u"/x/a"_qs, true}, {u"/x/b.txt"_qs, false}}
            << QStringList{u"z.txt"_qs, u"[a]"_qs, u"b.txt"_qs};
        QTest::newRow("folder given with its separator")
            << QList<DroppedPath>{{u"/x/photos/"_qs, true}} << QStringList{u"[photos]"_qs};
        QTest::newRow("a long path is not cut")
            << QList<DroppedPath>{{u"/x/"_qs + QString(300, QLatin1Char('n')), false}}
            << QStringList{QString(300, QLatin1Char('n'))};
    }
    void dropped()
    {
        QFETCH(QList<DroppedPath>, dropped);
        QFETCH(QStringList, captions);
        QCOMPARE(droppedCaptions(dropped), captions);
    }

    void phonePathBar()
    {
        QCOMPARE(obexPathBar({}), QString());
        QCOMPARE(obexPathBar({u"mmc"_qs, u"photos"_qs}), u"mmc\\photos\\"_qs);
    }
};
VANDREL_TEST(ExplorerPcPathTest)

Q_DECLARE_METATYPE(vandrel::explorer::Volume)

class ExplorerDrivesTest : public QObject {
    Q_OBJECT
private slots:
    void types_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("fs");
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("message");
        QTest::newRow("root disk") << u"/"_qs << u"ext4"_qs << u"/dev/sda2"_qs << 37;
        QTest::newRow("container root") << u"/"_qs << u"overlay"_qs << u"overlay"_qs << 37;
        QTest::newRow("home partition") << u"/home"_qs << u"btrfs"_qs << u"/dev/nvme0n1p3"_qs << 37;
        QTest::newRow("usb stick") << u"/media/u/STICK"_qs << u"vfat"_qs << u"/dev/sdb1"_qs << 36;
        QTest::newRow("usb stick, udisks") << u"/run/media/u/STICK"_qs << u"exfat"_qs << u"/dev/sdb1"_qs << 36;
        QTest::newRow("cd") << u"/media/u/DISC"_qs << u"iso9660"_qs << u"/dev/sr0"_qs << 39;
        QTest::newRow("nfs") << u"/srv/share"_qs << u"nfs4"_qs << u"server:/export"_qs << 38;
        QTest::newRow("samba") << u"/mnt/share"_qs << u"cifs"_qs << u"//server/share"_qs << 38;
        QTest::newRow("ram disk") << u"/scratch"_qs << u"tmpfs"_qs << u"tmpfs"_qs << 40;
        QTest::newRow("something else") << u"/weird"_qs << u"fuse.foo"_qs << u"foo"_qs << 34;
    }
    void types()
    {
        QFETCH(QString, root);
        QFETCH(QString, fs);
        QFETCH(QString, device);
        QFETCH(int, message);
        QCOMPARE(int(driveTypeMessage(driveTypeOf({root, fs, device}))), message);
    }

    void listed_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("fs");
        QTest::addColumn<bool>("listed");
        QTest::newRow("root") << u"/"_qs << u"overlay"_qs << true;
        QTest::newRow("home") << u"/home"_qs << u"ext4"_qs << true;
        QTest::newRow("stick") << u"/run/media/u/STICK"_qs << u"vfat"_qs << true;
        QTest::newRow("proc") << u"/proc"_qs << u"proc"_qs << false;
        QTest::newRow("sysfs") << u"/sys"_qs << u"sysfs"_qs << false;
        QTest::newRow("cgroup") << u"/sys/fs/cgroup"_qs << u"cgroup2"_qs << false;
        QTest::newRow("run") << u"/run"_qs << u"tmpfs"_qs << false;
        QTest::newRow("shm") << u"/dev/shm"_qs << u"tmpfs"_qs << false;
        QTest::newRow("snap") << u"/snap/core/1"_qs << u"squashfs"_qs << false;
        QTest::newRow("boot") << u"/boot/efi"_qs << u"vfat"_qs << false;
    }
    void listed()
    {
        QFETCH(QString, root);
        QFETCH(QString, fs);
        QFETCH(bool, listed);
        QCOMPARE(isListedVolume({root, fs, u"/dev/x"_qs}), listed);
    }

    void order()
    {
        const QList<Volume> in{{u"/media/u/B"_qs, u"vfat"_qs, u"/dev/sdc1"_qs},
                               {u"/proc"_qs, u"proc"_qs, u"proc"_qs},
                               {u"/home"_qs, u"ext4"_qs, u"/dev/sda3"_qs},
                               {u"/"_qs, u"ext4"_qs, u"/dev/sda2"_qs},
                               {u"/home"_qs, u"ext4"_qs, u"/dev/sda3"_qs}};
        QStringList roots;
        for (const Volume &v : listedVolumes(in))
            roots << v.rootPath;
        QCOMPARE(roots, (QStringList{u"/"_qs, u"/home"_qs, u"/media/u/B"_qs}));
    }

    void itemText() { QCOMPARE(driveItemText(u"/"_qs, u"fixed drive"_qs), u"/  fixed drive"_qs); }

    void freeSpace_data()
    {
        QTest::addColumn<qint64>("free");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<bool>("rounded");
        QTest::addColumn<QString>("label");
        QTest::newRow("1234567 KiB") << qint64(1234567) * 1024 << qint64(1234567890) * 1024 << false
                                     << u"Free: 1 234 567 k Total: 1234 567 890 k"_qs;
        QTest::newRow("cut") << qint64(2047) << qint64(1023) << false << u"Free: 1 k Total: 0 k"_qs;
        QTest::newRow("rounded") << qint64(1535) << qint64(1536) << true << u"Free: 1 k Total: 2 k"_qs;
        QTest::newRow("beyond 32 bits") << qint64(8) * 1024 * 1024 * 1024 * 1024 << qint64(0) << false
                                        << u"Free: 8589 934 592 k Total: 0 k"_qs;
    }
    void freeSpace()
    {
        QFETCH(qint64, free);
        QFETCH(qint64, total);
        QFETCH(bool, rounded);
        QFETCH(QString, label);
        QCOMPARE(freeSpaceLabel(u"Free: "_qs, free, u"Total: "_qs, total, rounded), label);
    }
};
VANDREL_TEST(ExplorerDrivesTest)

#include "tst_explorer_paths.moc"
