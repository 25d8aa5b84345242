#include "common/testmain.h"

#include <core/at/phoneinfo.h>

#include <QTest>

using namespace vandrel::at;

class PhoneInfoTest : public QObject {
    Q_OBJECT
private slots:
    void commandsInOrder()
    {
        QList<QByteArray> cmds;
        for (const auto &q : phoneInfoQueries())
            cmds << q.command;
        QCOMPARE(cmds, (QList<QByteArray>{"AT+CGMI", "AT+CGMM", "AT+CGMR", "AT+CGSN", "AT+CBC", "AT+CSQ",
                                          "AT+COPS?", "AT+CIMI", "AT^SCID"}));
    }

    void readableValues_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("value");
        QTest::newRow("maker") << QByteArray("AT+CGMI") << QByteArray("AT+CGMI\r\r\nVandrel\r\n\r\nOK\r\n")
                               << QStringLiteral("Vandrel");
        QTest::newRow("prefixed maker") << QByteArray("AT+CGMI") << QByteArray("\r\n+CGMI: \"Vandrel\"\r\n\r\nOK\r\n")
                                        << QStringLiteral("Vandrel");
        QTest::newRow("battery") << QByteArray("AT+CBC") << QByteArray("AT+CBC\r\r\n+CBC: 0,85\r\n\r\nOK\r\n")
                                 << QStringLiteral("85 %");
        QTest::newRow("signal") << QByteArray("AT+CSQ") << QByteArray("\r\n+CSQ: 20,99\r\n\r\nOK\r\n")
                                << QStringLiteral("-73 dBm");
        QTest::newRow("no signal") << QByteArray("AT+CSQ") << QByteArray("\r\n+CSQ: 99,99\r\n\r\nOK\r\n")
                                   << QStringLiteral("no signal");
        QTest::newRow("operator") << QByteArray("AT+COPS?")
                                  << QByteArray("AT+COPS?\r\r\n+COPS: 0,0,\"T-Mobile CZ\"\r\n\r\nOK\r\n")
                                  << QStringLiteral("T-Mobile CZ");
        QTest::newRow("no operator") << QByteArray("AT+COPS?") << QByteArray("\r\n+COPS: 0\r\n\r\nOK\r\n")
                                     << QStringLiteral("none");
        QTest::newRow("refused") << QByteArray("AT^SCID") << QByteArray("AT^SCID\r\r\nERROR\r\n")
                                 << QStringLiteral("ERROR");
        QTest::newRow("sim id") << QByteArray("AT^SCID") << QByteArray("\r\n^SCID: 8942001234567890123\r\n\r\nOK\r\n")
                                << QStringLiteral("8942001234567890123");
        QTest::newRow("empty ok") << QByteArray("AT+CIMI") << QByteArray("\r\nOK\r\n") << QString();
    }
    void readableValues()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(QString, value);
        QCOMPARE(phoneInfoValue(command, reply), value);
    }
};

VANDREL_TEST(PhoneInfoTest)
#include "tst_phoneinfo.moc"
