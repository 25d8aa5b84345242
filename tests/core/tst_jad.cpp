#include "common/testmain.h"

#include <core/install/jad.h>

#include <QTest>

using namespace vandrel::install;

class JadTest : public QObject {
    Q_OBJECT
private slots:
    void createdFromManifest()
    {
        const QByteArray manifest("Manifest-Version: 1.0\r\nMIDlet-Name: Game\r\n");
        QCOMPARE(jadFromManifest(1234, QStringLiteral("game.jar"), manifest),
                 QByteArray("MIDlet-Jar-Size: 1234\r\nMIDlet-Jar-URL: game.jar\r\n") + manifest);
    }

    void matchedToJar_data()
    {
        QTest::addColumn<QByteArray>("jad");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("sizeFixed");
        QTest::addColumn<bool>("urlFixed");
        const QByteArray tail("MIDlet-Name: Game\r\nMIDlet-1: Game,,Main\r\n");
        QTest::newRow("matching") << "MIDlet-Jar-Size: 1234\r\nMIDlet-Jar-URL: game.jar\r\n" + tail
                                  << "MIDlet-Jar-Size: 1234\r\nMIDlet-Jar-URL: game.jar\r\n" + tail << false << false;
        QTest::newRow("wrong size") << QByteArray("MIDlet-Name: Game\r\nMIDlet-Jar-Size: 999\r\nMIDlet-Jar-URL: game.jar\r\n")
                                    << QByteArray("MIDlet-Name: Game\r\nMIDlet-Jar-Size: 1234\r\nMIDlet-Jar-URL: game.jar\r\n")
                                    << true << false;
        QTest::newRow("other file") << QByteArray("MIDlet-Jar-URL: old.jar\nMIDlet-Jar-Size:1234\n")
                                    << QByteArray("MIDlet-Jar-URL: game.jar\nMIDlet-Jar-Size:1234\n") << false << true;
        QTest::newRow("a web address naming the file") << QByteArray("MIDlet-Jar-URL: http://x.cz/j/game.jar\r\nMIDlet-Jar-Size: 1234\r\n")
                                                        << QByteArray("MIDlet-Jar-URL: http://x.cz/j/game.jar\r\nMIDlet-Jar-Size: 1234\r\n")
                                                        << false << false;
        QTest::newRow("a name that only ends the same") << QByteArray("MIDlet-Jar-URL: bigame.jar\r\nMIDlet-Jar-Size: 1234\r\n")
                                                         << QByteArray("MIDlet-Jar-URL: game.jar\r\nMIDlet-Jar-Size: 1234\r\n")
                                                         << false << true;
        QTest::newRow("both missing") << tail << "MIDlet-Jar-Size: 1234\r\nMIDlet-Jar-URL: game.jar\r\n" + tail << true << true;
        QTest::newRow("last line without an ending") << QByteArray("MIDlet-Jar-URL: game.jar\r\nMIDlet-Jar-Size: 12")
                                                     << QByteArray("MIDlet-Jar-URL: game.jar\r\nMIDlet-Jar-Size: 1234")
                                                     << true << false;
    }
    void matchedToJar()
    {
        QFETCH(QByteArray, jad);
        QFETCH(QByteArray, expected);
        QFETCH(bool, sizeFixed);
        QFETCH(bool, urlFixed);
        const JadFix fix = matchJadToJar(jad, 1234, QStringLiteral("game.jar"));
        QCOMPARE(fix.jad, expected);
        QCOMPARE(fix.sizeFixed, sizeFixed);
        QCOMPARE(fix.urlFixed, urlFixed);
    }
};

VANDREL_TEST(JadTest)
#include "tst_jad.moc"
