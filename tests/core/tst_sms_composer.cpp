#include "common/testmain.h"

#include <core/sms/composer.h>
#include <core/sms/pdu.h>

#include <QTest>

using namespace vandrel::sms;

namespace {
const QString kTo = QStringLiteral("420602123456");
}

class SmsComposerTest : public QObject {
    Q_OBJECT
private slots:
    void counters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("counter");
        QTest::addColumn<int>("parts");
        QTest::addColumn<bool>("over");
        QTest::newRow("160 septets") << QString(160, u'a') << QStringLiteral("160 / 755") << 1 << false;
        QTest::newRow("161 septets") << QString(161, u'a') << QStringLiteral("161 / 755") << 2 << false;
        QTest::newRow("escape pair counts two") << QString(159, u'a') + u'€' << QStringLiteral("161 / 755") << 2 << false;
        QTest::newRow("153x2, escape pair on the boundary") << QString(152, u'a') + u'€' + QString(152, u'b')
                                                            << QStringLiteral("306 / 755") << 3 << false;
        QTest::newRow("756 septets") << QString(756, u'a') << QStringLiteral("756 / 755") << 5 << true;
        QTest::newRow("70 UCS-2 units") << QString(70, u'č') << QStringLiteral("70 / 335 UCS-2") << 1 << false;
        QTest::newRow("71 UCS-2 units") << QString(71, u'ж') << QStringLiteral("71 / 335 UCS-2") << 2 << false;
        QTest::newRow("six UCS-2 parts") << QString(336, u'ř') << QStringLiteral("336 / 335 UCS-2") << 6 << true;
        QTest::newRow("without diacritics") << withoutDiacritics(QString(161, u'ů') + QStringLiteral("ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ"))
                                            << QStringLiteral("176 / 755") << 2 << false;
    }
    void counters()
    {
        QFETCH(QString, text);
        QFETCH(QString, counter);
        QFETCH(int, parts);
        QFETCH(bool, over);
        const SmsCount count = countMessage(text);
        QCOMPARE(counterText(count), counter);
        QCOMPARE(count.overLimit, over);
        QCOMPARE(count.parts, parts);
        // The parts counter is what is really sent, in the coding the counter names.
        const auto pdus = encodeMessage(kTo, 0xAA, text, false);
        QCOMPARE(pdus->size(), qsizetype(parts));
        QCOMPARE(pdus->first().pdu.mid(24, 2), count.ucs2 ? QStringLiteral("09") : QStringLiteral("00"));
    }

    void plainLetters()
    {
        QCOMPARE(withoutDiacritics(u"Příliš žluťoučký kůň úpěl ďábelské ódy ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ Привет ä"),
                 QStringLiteral("Prilis zlutoucky kun upel dabelske ody ACDEEINORSTUUYZ Привет ä"));
    }

    void recipients()
    {
        const Recipient r = recipientOf(QStringLiteral("Novák, Jan$&@602111222;;+420 777 888 999;604;605;"));
        QCOMPARE(r.name, QStringLiteral("Novák, Jan"));
        QCOMPARE(r.numbers, (QStringList{QStringLiteral("602111222"), QStringLiteral("+420 777 888 999"), QStringLiteral("604")}));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("centre");
        QTest::addColumn<QString>("sent"); // empty: refused (message 90)
        const QString cz = QStringLiteral("+420603052000");
        QTest::newRow("12 digits, plus removed") << QStringLiteral("+420602123456") << cz << kTo;
        QTest::newRow("9 digits get the centre's code") << QStringLiteral("602 123 456") << cz << kTo;
        QTest::newRow("plus and 11 digits") << QStringLiteral("+44201234567") << cz << QStringLiteral("44201234567");
        QTest::newRow("8 digits refused") << QStringLiteral("12345678") << cz << QString();
        QTest::newRow("plus and 16 digits refused") << QStringLiteral("+1234567890123456") << cz << QString();
        QTest::newRow("quote refused") << QStringLiteral("602\"12345") << cz << QString();
        QTest::newRow("centre without plus") << QStringLiteral("602123456") << QStringLiteral("420603052000") << QString();
    }
    void numbers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, centre);
        QFETCH(QString, sent);
        QCOMPARE(destinationNumber(typed, centre).value_or(QString()), sent);
        QCOMPARE(serviceCentreNumber(centre).value_or(QString()), centre.startsWith(u'+') ? centre : u'+' + centre);
        QVERIFY(!serviceCentreNumber(u"+42060305200").has_value());
        QVERIFY(!serviceCentreNumber(u"+42060305200\r").has_value());
    }

    void validity_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("octet");
        QTest::newRow("1 hour") << 1 << 0 << 0x0B;
        QTest::newRow("12 hours") << 12 << 0 << 0x8F;
        QTest::newRow("13 hours") << 13 << 0 << 0x91;
        QTest::newRow("24 hours") << 24 << 0 << 0xA7;
        QTest::newRow("25 hours are 2 days") << 25 << 0 << 0xA8;
        QTest::newRow("2 days") << 0 << 2 << 0xA8;
        QTest::newRow("30 days") << 0 << 30 << 0xC4;
    }
    void validity()
    {
        QFETCH(int, hours);
        QFETCH(int, days);
        QFETCH(int, octet);
        QCOMPARE(int(days ? validityForDays(days) : validityForHours(hours)), octet);
        // Every octet is the shortest one for the period the 3GPP table gives it.
        for (int o = 0; o < 256; ++o)
            QCOMPARE(int(validityForMinutes(validityMinutes(quint8(o)))), o);
        QCOMPARE(validityMinutes(0xFF), qint64(63) * 7 * 24 * 60);
    }

    void atCommandsAndErrors()
    {
        QVERIFY(isSafeForAtCommand(u"+420603052000"));
        for (const char16_t bad : {u'\r', u'\n', u'"', char16_t(0x1A)})
            QVERIFY(!isSafeForAtCommand(QStringLiteral("42%1").arg(QChar(bad))));
        QCOMPARE(cmsErrorCode("\r\n+CMS ERROR: 38\r\n").value_or(-1), 38);
        QCOMPARE(cmsErrorCode("> \r\n+CMS ERROR:330\r\n").value_or(-1), 330);
        QCOMPARE(cmsErrorCode("\r\nERROR\r\n").value_or(-1), -1);
        QCOMPARE(cmsErrorText(38), QStringLiteral("network out of order"));
        QCOMPARE(cmsErrorText(330), QStringLiteral("SMSC address unknown"));
        QCOMPARE(cmsErrorText(540), QStringLiteral("phone-specific error 540"));
    }
};

VANDREL_TEST(SmsComposerTest)
#include "tst_sms_composer.moc"
