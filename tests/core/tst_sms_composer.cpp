#include "common/testmain.h"

#include <core/sms/composer.h>
#include <core/sms/pdu.h>

#include <QTest>

using namespace vandrel::sms;

class SmsComposerTest : public QObject {
    Q_OBJECT
private slots:
    void counters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("used");
        QTest::addColumn<int>("parts");
        QTest::addColumn<bool>("ucs2");
        QTest::addColumn<bool>("over");
        QTest::newRow("160 septets") << QString(160, u'a') << 160 << 1 << false << false;
        QTest::newRow("161 septets") << QString(161, u'a') << 161 << 2 << false << false;
        QTest::newRow("extension character counts two") << QString(159, u'a') + QStringLiteral("€") << 161 << 2 << false << false;
        QTest::newRow("153x2 with an escape pair on the boundary")
            << QString(152, u'a') + QStringLiteral("€") + QString(152, u'b') << 306 << 3 << false << false;
        QTest::newRow("755 septets") << QString(755, u'a') << 755 << 5 << false << false;
        QTest::newRow("756 septets") << QString(756, u'a') << 756 << 5 << false << true;
        QTest::newRow("70 UCS-2 units") << QString(70, u'č') << 70 << 1 << true << false;
        QTest::newRow("71 UCS-2 units") << QString(71, u'č') << 71 << 2 << true << false;
        QTest::newRow("five UCS-2 parts") << QString(335, u'ж') << 335 << 5 << true << false;
        QTest::newRow("six UCS-2 parts") << QString(336, u'ж') << 336 << 6 << true << true;
        QTest::newRow("one Czech letter makes UCS-2") << QString(100, u'a') + QStringLiteral("ř") << 101 << 2 << true << false;
        QTest::newRow("GSM letters stay seven-bit") << QStringLiteral("é à ü Ä ñ") << 9 << 1 << false << false;
    }
    void counters()
    {
        QFETCH(QString, text);
        QFETCH(int, used);
        QFETCH(int, parts);
        QFETCH(bool, ucs2);
        QFETCH(bool, over);
        const SmsCount count = countMessage(text);
        QCOMPARE(count.used, used);
        QCOMPARE(count.parts, parts);
        QCOMPARE(count.ucs2, ucs2);
        QCOMPARE(count.overLimit, over);
        QCOMPARE(counterText(count), ucs2 ? QStringLiteral("%1 / 335 UCS-2").arg(used) : QStringLiteral("%1 / 755").arg(used));
        // The parts counter is what is really sent.
        QCOMPARE(encodeMessage(QStringLiteral("420602123456"), 0xAA, text, false)->size(), qsizetype(parts));
    }

    void withoutDiacritics_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<int>("parts");
        QTest::newRow("small letters") << QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy, šíře ň")
                                       << QStringLiteral("Prilis zlutoucky kun upel dabelske ody, sire n") << 1;
        QTest::newRow("capitals") << QStringLiteral("ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ") << QStringLiteral("ACDEEINORSTUUYZ") << 1;
        QTest::newRow("161 Czech letters, two seven-bit parts") << QString(161, u'ů') << QString(161, u'u') << 2;
    }
    void withoutDiacritics()
    {
        QFETCH(QString, text);
        QFETCH(QString, plain);
        QFETCH(int, parts);
        const QString sent = vandrel::sms::withoutDiacritics(text);
        QCOMPARE(sent, plain);
        const SmsCount count = countMessage(sent);
        QVERIFY(!count.ucs2);
        QCOMPARE(count.parts, parts);
        const auto pdus = encodeMessage(QStringLiteral("420602123456"), 0xAA, sent, false);
        QCOMPARE(pdus->size(), qsizetype(parts));
        for (const SubmitPdu &p : *pdus)
            QCOMPARE(p.pdu.mid(24, 2), QStringLiteral("00")); // seven-bit coding
        // Letters outside the Czech alphabet are left to the coding.
        QCOMPARE(vandrel::sms::withoutDiacritics(u"Привет ä"), QStringLiteral("Привет ä"));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("centre");
        QTest::addColumn<QString>("sent"); // empty: refused (message 90)
        const QString cz = QStringLiteral("+420603052000");
        QTest::newRow("12 digits") << QStringLiteral("420602123456") << cz << QStringLiteral("420602123456");
        QTest::newRow("12 digits with plus") << QStringLiteral("+420602123456") << cz << QStringLiteral("420602123456");
        QTest::newRow("9 digits get the centre's code") << QStringLiteral("602123456") << cz << QStringLiteral("420602123456");
        QTest::newRow("9 digits, Slovak centre") << QStringLiteral("903123456") << QStringLiteral("+421903333000")
                                                 << QStringLiteral("421903123456");
        QTest::newRow("plus and 11 digits") << QStringLiteral("+44201234567") << cz << QStringLiteral("44201234567");
        QTest::newRow("plus and 8 digits") << QStringLiteral("+37212345") << cz << QStringLiteral("37212345");
        QTest::newRow("blanks and dashes") << QStringLiteral("+420 777-888 999") << cz << QStringLiteral("420777888999");
        QTest::newRow("8 digits refused") << QStringLiteral("12345678") << cz << QString();
        QTest::newRow("10 digits refused") << QStringLiteral("0602123456") << cz << QString();
        QTest::newRow("plus and 7 digits refused") << QStringLiteral("+1234567") << cz << QString();
        QTest::newRow("plus and 16 digits refused") << QStringLiteral("+1234567890123456") << cz << QString();
        QTest::newRow("letter refused") << QStringLiteral("60212345a") << cz << QString();
        QTest::newRow("quote refused") << QStringLiteral("602\"123456") << cz << QString();
        QTest::newRow("9 digits, centre without plus") << QStringLiteral("602123456") << QStringLiteral("420603052000") << QString();
    }
    void numbers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, centre);
        QFETCH(QString, sent);
        QCOMPARE(destinationNumber(typed, centre).value_or(QString()), sent);
    }

    void serviceCentre_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("plus and 12 digits") << QStringLiteral("+420603052000") << QStringLiteral("+420603052000");
        QTest::newRow("12 digits get the plus") << QStringLiteral("420603052000") << QStringLiteral("+420603052000");
        QTest::newRow("plus and 11 digits") << QStringLiteral("+42060305200") << QString();
        QTest::newRow("13 digits") << QStringLiteral("4206030520001") << QString();
        QTest::newRow("quote") << QStringLiteral("+420603\"52000") << QString();
        QTest::newRow("line end") << QStringLiteral("+42060305200\r") << QString();
    }
    void serviceCentre()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(serviceCentreNumber(typed).value_or(QString()), stored);
    }

    void validity_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("octet");
        QTest::newRow("1 hour") << 1 << 0 << 0x0B;
        QTest::newRow("6 hours") << 6 << 0 << 0x47;
        QTest::newRow("12 hours") << 12 << 0 << 0x8F;
        QTest::newRow("13 hours") << 13 << 0 << 0x91;
        QTest::newRow("24 hours") << 24 << 0 << 0xA7;
        QTest::newRow("25 hours are 2 days") << 25 << 0 << 0xA8;
        QTest::newRow("1 day") << 0 << 1 << 0xA7;
        QTest::newRow("2 days") << 0 << 2 << 0xA8;
        QTest::newRow("30 days") << 0 << 30 << 0xC4;
        QTest::newRow("31 days are 5 weeks") << 0 << 31 << 0xC5;
    }
    void validity()
    {
        QFETCH(int, hours);
        QFETCH(int, days);
        QFETCH(int, octet);
        QCOMPARE(int(days ? validityForDays(days) : validityForHours(hours)), octet);
        QVERIFY(validityMinutes(quint8(octet)) >= qint64(hours) * 60 + qint64(days) * 24 * 60);
    }

    // Every octet is the shortest one for its own period.
    void validityTableRoundTrip()
    {
        for (int o = 0; o < 256; ++o)
            QCOMPARE(int(validityForMinutes(validityMinutes(quint8(o)))), o);
        QCOMPARE(validityMinutes(0xC4), qint64(30) * 24 * 60);
        QCOMPARE(validityMinutes(0xFF), qint64(63) * 7 * 24 * 60);
    }

    void atCommandText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("safe");
        QTest::newRow("number") << QStringLiteral("+420603052000") << true;
        QTest::newRow("carriage return") << QStringLiteral("+420\r60") << false;
        QTest::newRow("line feed") << QStringLiteral("420\n60") << false;
        QTest::newRow("quote") << QStringLiteral("420\"60") << false;
        QTest::newRow("ctrl-z") << QStringLiteral("420\x1A") << false;
        QTest::newRow("escape") << QStringLiteral("420\x1B") << false;
    }
    void atCommandText()
    {
        QFETCH(QString, text);
        QFETCH(bool, safe);
        QCOMPARE(isSafeForAtCommand(text), safe);
    }

    void cmsErrors_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("code"); // -1: none
        QTest::addColumn<QString>("words");
        QTest::newRow("network cause") << QByteArray("\r\n+CMS ERROR: 38\r\n") << 38 << QStringLiteral("network out of order");
        QTest::newRow("no centre") << QByteArray("> \r\n+CMS ERROR: 330\r\n") << 330 << QStringLiteral("SMSC address unknown");
        QTest::newRow("no blank") << QByteArray("+CMS ERROR:500\r\n") << 500 << QStringLiteral("unknown error");
        QTest::newRow("centre refused") << QByteArray("+CMS ERROR: 197\r\n") << 197 << QStringLiteral("duplicate message rejected");
        QTest::newRow("phone-specific") << QByteArray("+CMS ERROR: 540\r\n") << 540 << QStringLiteral("phone-specific error 540");
        QTest::newRow("plain error") << QByteArray("\r\nERROR\r\n") << -1 << QString();
        QTest::newRow("no number") << QByteArray("+CMS ERROR: x\r\n") << -1 << QString();
    }
    void cmsErrors()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, code);
        QFETCH(QString, words);
        QCOMPARE(cmsErrorCode(reply).value_or(-1), code);
        if (code >= 0)
            QCOMPARE(cmsErrorText(code), words);
    }
};

VANDREL_TEST(SmsComposerTest)
#include "tst_sms_composer.moc"
