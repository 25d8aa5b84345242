#include "common/testmain.h"

#include <core/settings/messagetable.h>
#include <core/settings/shortcuts.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::settings;

class ShortcutFileTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("keys");
        const QStringList builtIn{QStringLiteral("Ctrl+T"), QStringLiteral("F4"), QStringLiteral("F5"),
                                  QStringLiteral("F6"),     QStringLiteral("F7"), QStringLiteral("F8"),
                                  QStringLiteral("Ctrl+I")};
        QTest::newRow("seven CRLF") << QByteArray("Ctrl+T\r\nF4\r\nF5\r\nF6\r\nF7\r\nF8\r\nCtrl+I\r\n") << builtIn;
        QTest::newRow("seven LF, no final end") << QByteArray("Ctrl+T\nF4\nF5\nF6\nF7\nF8\nCtrl+I") << builtIn;
        QTest::newRow("three lines")
            << QByteArray("F2\r\nF3\r\nShift+F5\r\n")
            << QStringList{QStringLiteral("F2"), QStringLiteral("F3"), QStringLiteral("Shift+F5"), QString(),
                           QString(), QString(), QString()};
        QTest::newRow("empty file") << QByteArray() << QStringList(7);
        QTest::newRow("only line ends") << QByteArray("\r\n\r\n") << QStringList(7);
        QTest::newRow("blank lines keep their place")
            << QByteArray("\r\nF4\r\n\r\nF6\r\n")
            << QStringList{QString(), QStringLiteral("F4"), QString(), QStringLiteral("F6"), QString(), QString(),
                           QString()};
        QTest::newRow("surrounding blanks dropped")
            << QByteArray("  Ctrl+T \r\n\tF4\r\nF5\r\nF6\r\nF7\r\nF8\r\nCtrl+I  \r\n") << builtIn;
        QTest::newRow("lines past seven untouched")
            << QByteArray("Ctrl+T\r\nF4\r\nF5\r\nF6\r\nF7\r\nF8\r\nCtrl+I\r\nF9\r\nF10\r\n") << builtIn;
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" "Ctrl+T\nF4\nF5\nF6\nF7\nF8\nCtrl+I\n") << builtIn;
        QTest::newRow("not a key kept as text")
            << QByteArray("nonsense\r\nF4\r\n")
            << QStringList{QStringLiteral("nonsense"), QStringLiteral("F4"), QString(), QString(), QString(),
                           QString(), QString()};
        QTest::newRow("cp1250 bytes") << QByteArray("\x9A\xE8\r\nF4\r\n")
                                      << QStringList{QStringLiteral("šč"), QStringLiteral("F4"), QString(), QString(),
                                                     QString(), QString(), QString()};
    }
    void parse()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, keys);
        QCOMPARE(parseShortcutFile(contents), keys);
    }

    void write_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("built in") << builtInShortcuts()
                                  << QByteArray("Ctrl+T\r\nF4\r\nF5\r\nF6\r\nF7\r\nF8\r\nCtrl+I\r\n");
        QTest::newRow("gaps") << QStringList{QString(), QStringLiteral("F4"), QString(), QString(), QString(),
                                             QString(), QStringLiteral("Ctrl+Shift+I")}
                              << QByteArray("\r\nF4\r\n\r\n\r\n\r\n\r\nCtrl+Shift+I\r\n");
        QTest::newRow("too few given") << QStringList{QStringLiteral("F2")}
                                       << QByteArray("F2\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("too many given")
            << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                           QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")}
            << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
    }
    void write()
    {
        QFETCH(QStringList, keys);
        QFETCH(QByteArray, contents);
        QCOMPARE(shortcutFileContents(keys), contents);
        // What is written reads back as the same seven names.
        QStringList expected = keys.mid(0, ShortcutCount);
        while (expected.size() < ShortcutCount)
            expected << QString();
        QCOMPARE(parseShortcutFile(contents), expected);
    }

    void randomInputGivesSevenNames()
    {
        QRandomGenerator rng(1234);
        for (int round = 0; round < 500; ++round) {
            QByteArray bytes(int(rng.bounded(200)), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(rng.bounded(256));
            QCOMPARE(parseShortcutFile(bytes).size(), ShortcutCount);
        }
    }

    void orderMatchesMenuItems()
    {
        QCOMPARE(shortcutActionNames(),
                 (QStringList{QStringLiteral("pKopirovat"), QStringLiteral("Editovat1"), QStringLiteral("pAktualizovat"),
                              QStringLiteral("pPrejmenovat"), QStringLiteral("pNovyadresar"), QStringLiteral("pSmazat"),
                              QStringLiteral("Instalovat1")}));
    }
};
VANDREL_TEST(ShortcutFileTest)

class MessageTableTest : public QObject {
    Q_OBJECT
private:
    static QByteArray numbered(int count, const char *end)
    {
        QByteArray out;
        for (int i = 0; i < count; ++i)
            out += "m" + QByteArray::number(i) + end;
        return out;
    }

private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("filled");
        QTest::newRow("ten lines") << numbered(10, "\r\n") << 10;
        QTest::newRow("full LF") << numbered(226, "\n") << 226;
        QTest::newRow("lines past 226 ignored") << numbered(300, "\r\n") << 226;
        QTest::newRow("no final line end") << numbered(5, "\n").chopped(1) << 5;
        QTest::newRow("empty") << QByteArray() << 0;
    }
    void load()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, filled);
        MessageTable table;
        table.loadFileContents(contents);
        for (int i = 0; i < MessageTable::Count; ++i)
            QCOMPARE(table.text(i), i < filled ? QStringLiteral("m%1").arg(i) : QString());
        QVERIFY(table.text(-1).isEmpty());
        QVERIFY(table.text(MessageTable::Count).isEmpty());
    }

    void randomInputNeverCrashes()
    {
        QRandomGenerator rng(99);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes(int(rng.bounded(4000)), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(rng.bounded(4) == 0 ? '\n' : rng.bounded(256));
            MessageTable table;
            table.loadFileContents(bytes);
            QVERIFY(table.text(MessageTable::Count - 1).size() <= bytes.size());
        }
    }

    void reloadClearsOldTexts()
    {
        MessageTable table;
        table.loadFileContents(numbered(226, "\n"));
        table.loadFileContents("a\nb\n");
        QCOMPARE(table.text(1), QStringLiteral("b"));
        QVERIFY(table.text(2).isEmpty());
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("first");
        QTest::newRow("utf-8") << QByteArray("P\xC5\x99ipojit\n") << QStringLiteral("Připojit");
        QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBFP\xC5\x99ipojit\n") << QStringLiteral("Připojit");
        QTest::newRow("cp1250") << QByteArray("P\xF8ipojit\r\n") << QStringLiteral("Připojit");
        QTest::newRow("russian") << QByteArray("\xD0\x9F\xD0\xBE\xD0\xB4\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87\xD0\xB8\xD1"
                                               "\x82\xD1\x8C\n")
                                 << QStringLiteral("Подключить");
    }
    void encodings()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, first);
        MessageTable table;
        table.loadFileContents(contents);
        QCOMPARE(table.text(0), first);
    }

    void languageCode_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("used");
        QTest::newRow("CZ") << QStringLiteral("CZ") << QStringLiteral("CZ");
        QTest::newRow("EN") << QStringLiteral("EN") << QStringLiteral("EN");
        QTest::newRow("DE") << QStringLiteral("DE") << QStringLiteral("DE");
        QTest::newRow("RU") << QStringLiteral("RU") << QStringLiteral("RU");
        QTest::newRow("unknown") << QStringLiteral("SK") << QStringLiteral("EN");
        QTest::newRow("lower case") << QStringLiteral("cz") << QStringLiteral("EN");
        QTest::newRow("trailing blank") << QStringLiteral("DE ") << QStringLiteral("EN");
        QTest::newRow("empty") << QString() << QStringLiteral("EN");
        QTest::newRow("path") << QStringLiteral("../CZ") << QStringLiteral("EN");
    }
    void languageCode()
    {
        QFETCH(QString, stored);
        QFETCH(QString, used);
        QCOMPARE(effectiveLanguageCode(stored), used);
    }
};
VANDREL_TEST(MessageTableTest)

#include "tst_shortcuts.moc"
