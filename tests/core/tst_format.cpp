#include "common/testmain.h"

#include <core/text/format.h>
#include <core/text/utf16be.h>

#include <QTest>

using namespace vandrel::text;

class FormatTest : public QObject {
    Q_OBJECT
private slots:
    void groupSize_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << QStringLiteral("0");
        QTest::newRow("three digits") << qint64(999) << QStringLiteral("999");
        QTest::newRow("four digits") << qint64(1024) << QStringLiteral("1 024");
        QTest::newRow("six digits") << qint64(123456) << QStringLiteral("123 456");
        QTest::newRow("seven digits") << qint64(1234567) << QStringLiteral("1 234 567");
        QTest::newRow("ten digits keep four in front") << qint64(1234567890) << QStringLiteral("1234 567 890");
    }
    void groupSize()
    {
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QCOMPARE(vandrel::text::groupSize(value), text);
    }

    void editPCdate_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("all short") << QStringLiteral("7.3.2005 9:05:01") << QStringLiteral("07.03.2005 09:05:01");
        QTest::newRow("already padded") << QStringLiteral("17.12.2005 19:05:01") << QStringLiteral("17.12.2005 19:05:01");
        QTest::newRow("short month only") << QStringLiteral("17.3.2005 19:05:01") << QStringLiteral("17.03.2005 19:05:01");
        QTest::newRow("short hour only") << QStringLiteral("07.03.2005 9:05:01") << QStringLiteral("07.03.2005 09:05:01");
        QTest::newRow("date without time") << QStringLiteral("1.2.2006") << QStringLiteral("01.02.2006");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("one character") << QStringLiteral("7") << QStringLiteral("07");
    }
    void editPCdate()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(vandrel::text::editPCdate(in), out);
    }

    void editMOdateAndTimeDate_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("mo");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("march") << QStringLiteral("07.03.2005") << QStringLiteral("09:05:01") << QStringLiteral("20050307")
                               << QStringLiteral("20050307T090501");
        QTest::newRow("with time after the date") << QStringLiteral("31.12.1999 23:59:59") << QStringLiteral("23:59:59")
                                                  << QStringLiteral("19991231") << QStringLiteral("19991231T235959");
        QTest::newRow("too short") << QStringLiteral("7.3.05") << QStringLiteral("09:05:01") << QString() << QString();
    }
    void editMOdateAndTimeDate()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QString, mo);
        QFETCH(QString, stamp);
        QCOMPARE(editMOdate(date), mo);
        QCOMPARE(editTimeDate(date, time), stamp);
    }

    void hexToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<quint64>("value");
        QTest::newRow("lower") << QStringLiteral("ff") << true << quint64(255);
        QTest::newRow("upper") << QStringLiteral("1A2B") << true << quint64(0x1A2B);
        QTest::newRow("eight digits stay positive") << QStringLiteral("FFFFFFFF") << true << quint64(0xFFFFFFFFu);
        QTest::newRow("sixteen digits") << QStringLiteral("FFFFFFFFFFFFFFFF") << true << ~quint64(0);
        QTest::newRow("overflow") << QStringLiteral("10000000000000000") << false << quint64(0);
        QTest::newRow("empty") << QString() << false << quint64(0);
        QTest::newRow("prefix") << QStringLiteral("0x10") << false << quint64(0);
        QTest::newRow("blank") << QStringLiteral("1 0") << false << quint64(0);
        QTest::newRow("letter g") << QStringLiteral("1g") << false << quint64(0);
    }
    void hexToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(quint64, value);
        const auto v = HexToInt(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(*v, value);
    }

    void dateTexts()
    {
        const QDateTime when(QDate(2005, 3, 7), QTime(9, 5, 1));
        QCOMPARE(dateTimeText(when), QStringLiteral("07.03.2005 09:05:01"));
        QCOMPARE(obexTimeStamp(when), QStringLiteral("20050307T090501"));
    }

    void dateTextFromStamp_data()
    {
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<QString>("text");   // empty: refused
        QTest::newRow("local") << QStringLiteral("20050307T090501") << QStringLiteral("07.03.2005 09:05:01");
        QTest::newRow("utc") << QStringLiteral("20051217T190501Z") << QStringLiteral("17.12.2005 19:05:01");
        QTest::newRow("no T") << QStringLiteral("20050307 090501") << QString();
        QTest::newRow("short") << QStringLiteral("20050307T0905") << QString();
        QTest::newRow("letters") << QStringLiteral("2005O307T090501") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void dateTextFromStamp()
    {
        QFETCH(QString, stamp);
        QFETCH(QString, text);
        const auto d = vandrel::text::dateTextFromStamp(stamp);
        QCOMPARE(d.has_value(), !text.isEmpty());
        if (d)
            QCOMPARE(*d, text);
    }

    void utf16be_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("mmc") << QByteArray::fromHex("006D006D0063");
        QTest::newRow("czech") << QStringLiteral("č") << QByteArray::fromHex("010D");
        QTest::newRow("surrogate pair") << QStringLiteral("\U0001F600") << QByteArray::fromHex("D83DDE00");
    }
    void utf16be()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(toUtf16BE(text), bytes);
        QCOMPARE(fromUtf16BE(bytes), text);
        QCOMPARE(fromUtf16BE(bytes + '\x41'), text);  // an odd byte at the end is no character
    }
};

VANDREL_TEST(FormatTest)
#include "tst_format.moc"
