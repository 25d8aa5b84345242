#include "common/testmain.h"

#include <core/explorer/direntry.h>
#include <core/explorer/favourites.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::explorer;

class ExplorerRowTest : public QObject {
    Q_OBJECT
private slots:
    void captions_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("bare");
        QTest::newRow("folder") << QStringLiteral("[photos]") << true << QStringLiteral("photos");
        QTest::newRow("parent") << QStringLiteral("[..]") << true << QStringLiteral("..");
        QTest::newRow("file") << QStringLiteral("a.txt") << false << QStringLiteral("a.txt");
        QTest::newRow("file starting with a bracket") << QStringLiteral("[draft") << false << QStringLiteral("[draft");
        QTest::newRow("lone bracket") << QStringLiteral("[") << false << QStringLiteral("[");
        QTest::newRow("empty brackets") << QStringLiteral("[]") << true << QString();
        QTest::newRow("empty") << QString() << false << QString();
    }
    void captions()
    {
        QFETCH(QString, caption);
        QFETCH(bool, folder);
        QFETCH(QString, bare);
        QCOMPARE(isFolderCaption(caption), folder);
        QCOMPARE(bareName(caption), bare);
    }

    void entries()
    {
        QCOMPARE(DirEntry::folder(QStringLiteral("docs")).caption(), QStringLiteral("[docs]"));
        QCOMPARE(DirEntry::folder(QStringLiteral("docs")).sizeText, QStringLiteral("  <DIR>"));
        QCOMPARE(DirEntry::file(QStringLiteral("a.txt"), QStringLiteral("0")).caption(), QStringLiteral("a.txt"));
        QCOMPARE(DirEntry::parent().caption(), QStringLiteral("[..]"));
        QVERIFY(isParentCaption(DirEntry::parent().caption()));
        QVERIFY(!isParentCaption(u"[...]"));
        QVERIFY(isDirSizeText(u"  <DIR>"));
        QVERIFY(!isDirSizeText(u"<DIR>"));
        QVERIFY(!isDirSizeText(u"1234567"));
    }

    void order_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("ab-x before ab") << QStringList{u"[ab]"_qs, u"[ab-x]"_qs} << QStringList{u"[ab-x]"_qs, u"[ab]"_qs};
        QTest::newRow("Zeta.txt after alpha.txt") << QStringList{u"Zeta.txt"_qs, u"alpha.txt"_qs}
                                                  << QStringList{u"alpha.txt"_qs, u"Zeta.txt"_qs};
        QTest::newRow("parent, folders, files")
            << QStringList{u"b.txt"_qs, u"[zed]"_qs, u"A.txt"_qs, u"[..]"_qs, u"[Alpha]"_qs}
            << QStringList{u"[..]"_qs, u"[Alpha]"_qs, u"[zed]"_qs, u"A.txt"_qs, u"b.txt"_qs};
        QTest::newRow("prefix first") << QStringList{u"abc.txt"_qs, u"ab"_qs, u"abc"_qs} << QStringList{u"ab"_qs, u"abc"_qs, u"abc.txt"_qs};
        // Lower-casing is ASCII only; other characters compare by their cp1250 byte: š (9A) < á (E1).
        QTest::newRow("cp1250 bytes") << QStringList{u"á.txt"_qs, u"Š.txt"_qs, u"š.txt"_qs, u"z.txt"_qs}
                                      << QStringList{u"z.txt"_qs, u"Š.txt"_qs, u"š.txt"_qs, u"á.txt"_qs};
        QTest::newRow("characters outside cp1250 last") << QStringList{u"中.txt"_qs, u"ž.txt"_qs} << QStringList{u"ž.txt"_qs, u"中.txt"_qs};
        // Upper case compares as lower case, so "_" (5F) sorts before "A" as well as before "a".
        QTest::newRow("underscore before letters") << QStringList{u"b"_qs, u"A"_qs, u"_a"_qs}
                                                   << QStringList{u"_a"_qs, u"A"_qs, u"b"_qs};
    }
    void order()
    {
        QFETCH(QStringList, captions);
        QFETCH(QStringList, sorted);
        QList<DirEntry> rows;
        for (const QString &c : captions)
            rows.append(isParentCaption(c) ? DirEntry::parent()
                        : isFolderCaption(c) ? DirEntry::folder(bareName(c))
                                             : DirEntry::file(c, QStringLiteral("1")));
        sortRows(rows);
        QStringList got;
        for (const DirEntry &r : rows)
            got.append(r.caption());
        QCOMPARE(got, sorted);
        for (qsizetype i = 0; i + 1 < sorted.size(); ++i) {
            QVERIFY(rowLess(sorted[i], sorted[i + 1]));
            QVERIFY(!rowLess(sorted[i + 1], sorted[i]));
        }
    }

    void equalCaptionsKeepTheirOrder()
    {
        QList<DirEntry> rows{DirEntry::file(QStringLiteral("A"), QStringLiteral("1")), DirEntry::file(QStringLiteral("a"), QStringLiteral("2"))};
        sortRows(rows);
        QCOMPARE(rows[0].sizeText, QStringLiteral("1"));
        QVERIFY(!rowLess(u"A", u"a"));
        QVERIFY(!rowLess(u"a", u"A"));
    }
};

class FavouritesTest : public QObject {
    Q_OBJECT
private slots:
    void record()
    {
        const auto r = encodeFavourite({QStringLiteral("Fotky"), QStringLiteral("mmc\\photos\\")});
        QVERIFY(r.ok());
        QCOMPARE(r->size(), 307);
        QByteArray expected;
        expected.append(char(5));
        expected.append("Fotky");
        expected.append(45, '\0');
        expected.append(char(11));
        expected.append("mmc\\photos\\");
        expected.append(244, '\0');
        QCOMPARE(*r, expected);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("storedName");
        QTest::newRow("computer") << QStringLiteral("Data") << QStringLiteral("c:\\data\\") << QStringLiteral("Data");
        QTest::newRow("brew") << QStringLiteral("Hry") << QStringLiteral("brew/mod/") << QStringLiteral("Hry");
        QTest::newRow("czech") << QStringLiteral("Dokumenty – čeština") << QStringLiteral("/home/žluťoučký/") << QStringLiteral("Dokumenty – čeština");
        QTest::newRow("60-character name keeps 50") << QString(60, QLatin1Char('n')) << QStringLiteral("x") << QString(50, QLatin1Char('n'));
        QTest::newRow("255-character path") << QStringLiteral("long") << QString(255, QLatin1Char('p')) << QStringLiteral("long");
        QTest::newRow("empty path") << QStringLiteral("nothing") << QString() << QStringLiteral("nothing");
    }
    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, storedName);
        const auto file = encodeFavourites({{name, path}, {QStringLiteral("second"), QStringLiteral("mmc\\")}});
        QVERIFY2(file.ok(), qPrintable(file.error()));
        QCOMPARE(file->size(), 614);
        const QList<Favourite> back = decodeFavourites(*file);
        QCOMPARE(back.size(), 2);
        QCOMPARE(back[0], (Favourite{storedName, path}));
        QCOMPARE(back[1], (Favourite{QStringLiteral("second"), QStringLiteral("mmc\\")}));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("path of 256 characters") << QStringLiteral("n") << QString(256, QLatin1Char('p'));
        QTest::newRow("path outside cp1250") << QStringLiteral("n") << QStringLiteral("/home/中文/");
        QTest::newRow("name outside cp1250") << QStringLiteral("中文") << QStringLiteral("/home/");
    }
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        const auto r = encodeFavourite({name, path});
        QVERIFY(!r.ok());
        QVERIFY(!r.error().isEmpty());
        QVERIFY(!encodeFavourites({{QStringLiteral("ok"), QStringLiteral("ok")}, {name, path}}).ok());
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("614 bytes") << QByteArray(614, '\0') << 2;
        QTest::newRow("a cut-off record is no record") << QByteArray(613, '\0') << 1;
        QTest::newRow("length bytes beyond their fields") << QByteArray(307, '\xFF') << 1;
    }
    void decoding()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, count);
        const QList<Favourite> favourites = decodeFavourites(file);
        QCOMPARE(favourites.size(), count);
        for (const Favourite &f : favourites) {
            QVERIFY(f.name.size() <= 50);
            QVERIFY(f.path.size() <= 255);
        }
    }

    void randomFilesNeverBreakIt()
    {
        QRandomGenerator rng(1250);
        for (int round = 0; round < 200; ++round) {
            QByteArray junk(rng.bounded(1000), '\0');
            for (char &c : junk)
                c = char(rng.bounded(256));
            for (const Favourite &f : decodeFavourites(junk)) {
                const auto again = encodeFavourite(f);
                QVERIFY(again.ok());
                QCOMPARE(decodeFavourites(*again).first(), f);
            }
        }
    }
};

VANDREL_TEST(ExplorerRowTest)
VANDREL_TEST(FavouritesTest)
#include "tst_explorer.moc"
