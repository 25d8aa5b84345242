#include "common/testmain.h"

#include <core/explorer/desktopentry.h>
#include <core/explorer/favourites.h>
#include <core/explorer/pcpath.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::explorer;

class ObexFavouritePathTest : public QObject {
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("two folders") << QStringLiteral("mmc\\photos\\") << QStringList{QStringLiteral("mmc"), QStringLiteral("photos")};
        QTest::newRow("one folder") << QStringLiteral("user\\") << QStringList{QStringLiteral("user")};
        QTest::newRow("text after the last backslash ignored")
            << QStringLiteral("mmc\\photos\\tail") << QStringList{QStringLiteral("mmc"), QStringLiteral("photos")};
        QTest::newRow("no backslash at all") << QStringLiteral("mmc") << QStringList{};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("empty piece is no folder")
            << QStringLiteral("mmc\\\\photos\\") << QStringList{QStringLiteral("mmc"), QStringLiteral("photos")};
        QTest::newRow("leading backslash") << QStringLiteral("\\mmc\\") << QStringList{QStringLiteral("mmc")};
        QTest::newRow("slashes belong to the name")
            << QStringLiteral("mmc\\a/b\\") << QStringList{QStringLiteral("mmc"), QStringLiteral("a/b")};
        QTest::newRow("blanks and Czech kept")
            << QStringLiteral("mmc\\Moje fotky – léto\\") << QStringList{QStringLiteral("mmc"), QStringLiteral("Moje fotky – léto")};
    }
    void names()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, names);
        QCOMPARE(obexNamesFromFavourite(path), names);
    }

    void storedFormGoesBackToTheSameNames_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("none") << QStringList{};
        QTest::newRow("one") << QStringList{QStringLiteral("mmc")};
        QTest::newRow("three") << QStringList{QStringLiteral("user"), QStringLiteral("a b"), QStringLiteral("č")};
    }
    void storedFormGoesBackToTheSameNames()
    {
        QFETCH(QStringList, names);
        const QString stored = obexPathBar(names);
        QCOMPARE(stored.count(QLatin1Char('\\')), names.size());
        QVERIFY(names.isEmpty() || stored.endsWith(QLatin1Char('\\')));
        QCOMPARE(obexNamesFromFavourite(stored), names);
    }
};

class DesktopEntryTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nName=Editor\nExec=gedit %U\nTerminal=false\n")
                               << QStringLiteral("gedit %U") << false << false;
        QTest::newRow("terminal program") << QByteArray("[Desktop Entry]\nExec=vim %F\nTerminal=true\n")
                                          << QStringLiteral("vim %F") << true << false;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=x\nHidden=true\n") << QStringLiteral("x") << false << true;
        QTest::newRow("actions group does not override")
            << QByteArray("[Desktop Entry]\nExec=kate -b %U\n\n[Desktop Action new]\nExec=kate --new\n")
            << QStringLiteral("kate -b %U") << false << false;
        QTest::newRow("other group first")
            << QByteArray("# comment\n[Other]\nExec=wrong\n[Desktop Entry]\nExec=right\n") << QStringLiteral("right") << false << false;
        QTest::newRow("CR LF and blanks around =") << QByteArray("[Desktop Entry]\r\nExec = mousepad %F\r\nTerminal = true\r\n")
                                                   << QStringLiteral("mousepad %F") << true << false;
        QTest::newRow("value escapes") << QByteArray("[Desktop Entry]\nExec=\"/opt/my\\sedit\" \\\\x %f\n")
                                       << QStringLiteral("\"/opt/my edit\" \\x %f") << false << false;
        QTest::newRow("localised key is not Exec") << QByteArray("[Desktop Entry]\nExec[cs]=no\nExec=yes\n")
                                                   << QStringLiteral("yes") << false << false;
        QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nName=x\n") << QString() << false << false;
        QTest::newRow("empty") << QByteArray() << QString() << false << false;
    }
    void parse()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, exec);
        QFETCH(bool, terminal);
        QFETCH(bool, hidden);
        const DesktopEntry entry = parseDesktopEntry(contents);
        QCOMPARE(entry.exec, exec);
        QCOMPARE(entry.terminal, terminal);
        QCOMPARE(entry.hidden, hidden);
    }

    void command_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("command");
        const QString f = QStringLiteral("/tmp/VDLC/a b.txt");
        QTest::newRow("%U") << QStringLiteral("gnome-text-editor %U") << QStringList{QStringLiteral("gnome-text-editor"), f};
        QTest::newRow("%f with option") << QStringLiteral("kate -b %f") << QStringList{QStringLiteral("kate"), QStringLiteral("-b"), f};
        QTest::newRow("no field code: file appended") << QStringLiteral("leafpad") << QStringList{QStringLiteral("leafpad"), f};
        QTest::newRow("icon and caption codes dropped")
            << QStringLiteral("ed %i %c %k %F") << QStringList{QStringLiteral("ed"), f};
        QTest::newRow("file only once") << QStringLiteral("ed %f %F") << QStringList{QStringLiteral("ed"), f};
        QTest::newRow("quoted program with blank")
            << QStringLiteral("\"/opt/my edit/run\" %f") << QStringList{QStringLiteral("/opt/my edit/run"), f};
        QTest::newRow("escapes inside quotes")
            << QStringLiteral("sh -c \"echo \\\"\\$x\\\"\" %f") << QStringList{QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo \"$x\""), f};
        QTest::newRow("percent kept") << QStringLiteral("ed --size=50%% %f") << QStringList{QStringLiteral("ed"), QStringLiteral("--size=50%"), f};
        QTest::newRow("code inside an argument") << QStringLiteral("ed --file=%f") << QStringList{QStringLiteral("ed"), QStringLiteral("--file=") + f};
        QTest::newRow("runs of blanks") << QStringLiteral("  ed   -x\t%f ") << QStringList{QStringLiteral("ed"), QStringLiteral("-x"), f};
        QTest::newRow("empty quoted argument kept") << QStringLiteral("ed \"\" %f") << QStringList{QStringLiteral("ed"), QString(), f};
        QTest::newRow("unclosed quote") << QStringLiteral("ed \"%f") << QStringList{};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("only a field code") << QStringLiteral("%F") << QStringList{QStringLiteral("/tmp/VDLC/a b.txt")};
    }
    void command()
    {
        QFETCH(QString, exec);
        QFETCH(QStringList, command);
        QCOMPARE(desktopExecCommand(exec, QStringLiteral("/tmp/VDLC/a b.txt")), command);
    }

    void randomTextNeverBreaksIt()
    {
        QRandomGenerator rng(4);
        const char alphabet[] = "[]=%\"\\ \n\tfFuUExecDsktopEntryHidden";
        for (int round = 0; round < 500; ++round) {
            QByteArray junk(rng.bounded(120), '\0');
            for (char &c : junk)
                c = alphabet[rng.bounded(int(sizeof alphabet - 1))];
            const DesktopEntry entry = parseDesktopEntry(junk);
            // The file goes in exactly once, behind a program name.
            const QStringList command = desktopExecCommand(entry.exec, QStringLiteral("@"));
            if (command.isEmpty())
                continue;
            QVERIFY(!command.first().isEmpty());
            QCOMPARE(command.join(QString()).count(QLatin1Char('@')), 1);
        }
    }
};

VANDREL_TEST(ObexFavouritePathTest)
VANDREL_TEST(DesktopEntryTest)
#include "tst_favourite_helpers.moc"
