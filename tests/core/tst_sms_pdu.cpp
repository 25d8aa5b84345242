#include "common/testmain.h"

#include <core/sms/pdu.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::sms;

namespace {
const QString kTo = QStringLiteral("420123456789");
const QString kDelivered = QStringLiteral("15.01.2007 08:30:00 +00:00");
const QString kListed = QStringLiteral("01.02.2026 03:04:05");
const QString kCentre = QStringLiteral("+420603052000");
const QString kPlusTo = QStringLiteral("+420123456789");
} // namespace

class SmsEncodeTest : public QObject {
    Q_OBJECT
private slots:
    void singlePart_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("validity");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("report");
        QTest::addColumn<QString>("pdu");
        QTest::addColumn<int>("length");
        QTest::newRow("hello") << kTo << 0xAA << QStringLiteral("hello") << false
                               << QStringLiteral("0011000C912410325476980000AA05E8329BFD06") << 19;
        QTest::newRow("plus stripped, report") << QStringLiteral("+420123456789") << 0xC4 << QStringLiteral("hello") << true
                                               << QStringLiteral("0031000C912410325476980000C405E8329BFD06") << 19;
        QTest::newRow("last octet zero") << kTo << 0xAA << QStringLiteral("Hi 1234") << false
                                         << QStringLiteral("0011000C912410325476980000AA07C83428269BD100") << 21;
        QTest::newRow("ucs2 czech") << kTo << 0xAA << QStringLiteral("Ahoj č") << false
                                    << QStringLiteral("0011000C912410325476980009AA0C00410068006F006A0020010D") << 26;
        QTest::newRow("odd destination padded") << QStringLiteral("12345") << 0xA8 << QStringLiteral("A") << false
                                                << QStringLiteral("00110005912143F50000A80141") << 12;
        QTest::newRow("extension characters") << kTo << 0xAA << QStringLiteral("€@") << false
                                              << QStringLiteral("0011000C912410325476980000AA039B3200") << 17;
        QTest::newRow("empty text") << kTo << 0xAA << QString() << false
                                    << QStringLiteral("0011000C912410325476980000AA00") << 14;
    }
    void singlePart()
    {
        QFETCH(QString, to);
        QFETCH(int, validity);
        QFETCH(QString, text);
        QFETCH(bool, report);
        QFETCH(QString, pdu);
        QFETCH(int, length);
        const auto part = encodeSubmitPart(to, quint8(validity), text, 1, 1, report);
        QVERIFY2(part.ok(), qPrintable(part.error()));
        QCOMPARE(part->pdu, pdu);
        QCOMPARE(part->tpduLength, length);
        const auto whole = encodeMessage(to, quint8(validity), text, report);
        QVERIFY(whole.ok());
        QCOMPARE(whole->size(), 1);
        QCOMPARE(whole->first().pdu, pdu);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("count");
        QTest::newRow("letters in the number") << QStringLiteral("42012345678x") << QStringLiteral("a") << 1 << 1;
        QTest::newRow("empty number") << QString() << QStringLiteral("a") << 1 << 1;
        QTest::newRow("quote in the number") << QStringLiteral("42\"0") << QStringLiteral("a") << 1 << 1;
        QTest::newRow("21 digits") << QStringLiteral("123456789012345678901") << QStringLiteral("a") << 1 << 1;
        QTest::newRow("161 septets") << kTo << QString(161, u'a') << 1 << 1;
        QTest::newRow("154 septets in a part") << kTo << QString(154, u'a') << 1 << 2;
        QTest::newRow("escape pushes over 160") << kTo << QString(159, u'a') + QStringLiteral("€") << 1 << 1;
        QTest::newRow("71 ucs2") << kTo << QString(71, u'č') << 1 << 1;
        QTest::newRow("68 ucs2 in a part") << kTo << QString(68, u'č') << 2 << 2;
        QTest::newRow("part 0") << kTo << QStringLiteral("a") << 0 << 2;
        QTest::newRow("part past count") << kTo << QStringLiteral("a") << 3 << 2;
        QTest::newRow("256 parts") << kTo << QStringLiteral("a") << 1 << 256;
    }
    void refused()
    {
        QFETCH(QString, to);
        QFETCH(QString, text);
        QFETCH(int, number);
        QFETCH(int, count);
        const auto part = encodeSubmitPart(to, 0xAA, text, number, count, false);
        QVERIFY(!part.ok());
        QVERIFY(!part.error().isEmpty());
    }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("160 is one part") << QString(160, u'a') << QList<int>{160};
        QTest::newRow("161 is two") << QString(161, u'a') << QList<int>{153, 8};
        QTest::newRow("460 is four") << QString(460, u'a') << QList<int>{153, 153, 153, 1};
        QTest::newRow("755 is five") << QString(755, u'a') << QList<int>{153, 153, 153, 153, 143};
        QTest::newRow("escape pair not split") << QString(152, u'a') + QStringLiteral("€") + QString(10, u'b')
                                               << QList<int>{152, 11};
        QTest::newRow("escape pairs count two") << QString(80, u'{') << QList<int>{80};
        QTest::newRow("81 braces are two parts") << QString(81, u'{') << QList<int>{76, 5};
        QTest::newRow("70 ucs2 is one") << QString(70, u'ř') << QList<int>{70};
        QTest::newRow("71 ucs2 is two") << QString(71, u'ř') << QList<int>{67, 4};
        QTest::newRow("surrogate pair not split") << QString(66, u'ř') + QStringLiteral("\U0001F600") + QStringLiteral("xxx")
                                                  << QList<int>{66, 5};
        QTest::newRow("ten ucs2 parts") << QString(670, u'ž') << QList<int>(10, 67);
    }
    void split()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, sizes);
        const auto parts = splitIntoParts(text);
        QVERIFY(parts.ok());
        QList<int> got;
        for (const QString &p : *parts)
            got.append(int(p.size()));
        QCOMPARE(got, sizes);
        QCOMPARE(parts->join(QString()), text);
    }

    void tooManyParts()
    {
        QVERIFY(!splitIntoParts(QString(256 * 67, u'ž')).ok());
        QVERIFY(splitIntoParts(QString(255 * 67, u'ž')).ok());
    }

    void concatenationHeaders_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("userDataStarts");
        QTest::addColumn<QString>("firstOctets");
        QTest::newRow("two seven-bit parts") << QString(200, u'a')
                                             << QStringList{QStringLiteral("A0050003310201C2"), QStringLiteral("36050003310202C2")}
                                             << QStringLiteral("5171");
        QTest::newRow("five parts, 4 of 5") << QString(700, u'a')
                                            << QStringList{QStringLiteral("A0050003310501"), QStringLiteral("A0050003310502"),
                                                           QStringLiteral("A0050003310503"), QStringLiteral("A0050003310504"),
                                                           QStringLiteral("5F050003310505")}
                                            << QStringLiteral("5151515171");
        QTest::newRow("ucs2 parts carry real byte values") << QString(690, u'ř')
                                                           << QStringList{QStringLiteral("8C050003310B010159"), QStringLiteral("8C050003310B02"), QStringLiteral("8C050003310B03"), QStringLiteral("8C050003310B04"), QStringLiteral("8C050003310B05"), QStringLiteral("8C050003310B06"), QStringLiteral("8C050003310B07"), QStringLiteral("8C050003310B08"), QStringLiteral("8C050003310B09"), QStringLiteral("8C050003310B0A"), QStringLiteral("2E050003310B0B")}
                                                           << QStringLiteral("5151515151515151515171");
    }
    void concatenationHeaders()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, userDataStarts);
        QFETCH(QString, firstOctets);
        const auto parts = encodeMessage(kTo, 0xAA, text, true);
        QVERIFY2(parts.ok(), qPrintable(parts.error()));
        QCOMPARE(parts->size(), userDataStarts.size());
        QString firsts;
        for (qsizetype i = 0; i < parts->size(); ++i) {
            const QString &pdu = parts->at(i).pdu;
            firsts += pdu.mid(2, 2);
            QVERIFY2(pdu.mid(28).startsWith(userDataStarts[i]), qPrintable(pdu));
            QCOMPARE(parts->at(i).tpduLength, int(pdu.size() / 2 - 1));
            QVERIFY(parts->at(i).tpduLength <= 140 + 14);
        }
        // The report is asked for on the last part only.
        QCOMPARE(firsts, firstOctets);
    }

    void textOnly_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QByteArray>("septets");
        QTest::newRow("part 1 of 2") << QStringLiteral("050003310201") << QByteArray("\x05\x00\x0C\x08\x23\x20\x00", 7);
        QTest::newRow("part 4 of 5") << QStringLiteral("050003310504") << QByteArray("\x05\x00\x0C\x08\x53\x00\x01", 7);
    }
    void textOnly()
    {
        QFETCH(QString, header);
        QFETCH(QByteArray, septets);
        const auto got = headerAsSeptets(header);
        QVERIFY(got.has_value());
        QCOMPARE(*got, septets);
        // Packed again they give the header back with one zero fill bit.
        QCOMPARE(packSeptets(*got), QByteArray::fromHex(header.toLatin1()) + QByteArray(1, '\0'));
        QVERIFY(!headerAsSeptets(QStringLiteral("05000")).has_value());
    }
};

class SmsDecodeTest : public QObject {
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QString>("pdu");
        QTest::addColumn<QString>("centre");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("outgoing");
        QTest::addColumn<int>("parts");
        QTest::addColumn<int>("part");
        QTest::newRow("seven-bit with extension")
            << QStringLiteral("0791246030500200000C9124103254769800007010518003000021C3B23B0CAA6DCAA00D0ABF498136BCFCC607DAF436C00D65F302010411")
            << kCentre << kPlusTo << kDelivered << QStringLiteral("Cena 5€ {x} [y] ~|^\\ @$_") << false << 0 << 0;
        QTest::newRow("ucs2 czech")
            << QStringLiteral("0791246030500200000C91241032547698000870105180030000280050015900ED006C006901610020017E006C00750165006F0075010D006B00FD0020006B016F0148")
            << kCentre << kPlusTo << kDelivered << QStringLiteral("Příliš žluťoučký kůň") << false << 0 << 0;
        QTest::newRow("alphanumeric sender")
            << QStringLiteral("0791246030500200000DD0D6B09B2C2FB3010000701051800300000441F45B0D")
            << kCentre << QStringLiteral("Vandrel") << kDelivered << QStringLiteral("Ahoj") << false << 0 << 0;
        QTest::newRow("odd number loses its filler")
            << QStringLiteral("07912460305002000005812143F50000701051800300000831D98C56B3DD70")
            << kCentre << QStringLiteral("12345") << kDelivered << QStringLiteral("12345678") << false << 0 << 0;
        QTest::newRow("concatenated ucs2 part 2")
            << QStringLiteral("0791246030500200400C9124707788989900087010518003000012050003EB02020076006100200044006C006F")
            << kCentre << QStringLiteral("+420777888999") << kDelivered << QStringLiteral("va Dlo") << false << 2 << 2;
        QTest::newRow("our own submit, empty centre")
            << QStringLiteral("0011000C912410325476980000AA05E8329BFD06")
            << QString() << kPlusTo << kListed << QStringLiteral("hello") << true << 0 << 0;
        QTest::newRow("submit ucs2 class 1")
            << QStringLiteral("0011000C912410325476980009AA0C00410068006F006A0020010D")
            << QString() << kPlusTo << kListed << QStringLiteral("Ahoj č") << true << 0 << 0;
        QTest::newRow("submit without validity")
            << QStringLiteral("0001000C91241032547698000002111A")
            << QString() << kPlusTo << kListed << QStringLiteral("_4") << true << 0 << 0;
        QTest::newRow("submit seven-bit two parts")
            << QStringLiteral("0051000C912410325476980000AA0E050003310202C2E170381C0E03")
            << QString() << kPlusTo << kListed << QStringLiteral("aaaaaaa") << true << 2 << 2;
        QTest::newRow("16-bit reference header")
            << QStringLiteral("0791246030500200400C912410325476980008701051800300000F060804ABCD0302004100680020010D")
            << kCentre << kPlusTo << kDelivered << QStringLiteral("Ah č") << false << 3 << 2;
        QTest::newRow("eight-bit data")
            << QStringLiteral("0791246030500200000C912410325476980004701051800300000341E842")
            << kCentre << kPlusTo << kDelivered << QStringLiteral("AčB") << false << 0 << 0;
    }
    void decode()
    {
        QFETCH(QString, pdu);
        QFETCH(QString, centre);
        QFETCH(QString, number);
        QFETCH(QString, date);
        QFETCH(QString, text);
        QFETCH(bool, outgoing);
        QFETCH(int, parts);
        QFETCH(int, part);
        const QDateTime listed(QDate(2026, 2, 1), QTime(3, 4, 5));
        // Whole, lower case with a line end, and with octets after the user data.
        for (const QString &form : {pdu, pdu.toLower() + QStringLiteral("\r\n"), pdu + QStringLiteral("FFFF")}) {
            const auto sms = decodePdu(form, listed);
            QVERIFY2(sms.ok(), qPrintable(sms.error()));
            QCOMPARE(sms->serviceCentre, centre);
            QCOMPARE(sms->number, number);
            QCOMPARE(sms->stamp.display(), date);
            QCOMPARE(sms->text, text);
            QCOMPARE(sms->outgoing(), outgoing);
            QCOMPARE(sms->concat.count, parts);
            QCOMPARE(sms->concat.number, part);
        }
    }

    // Time stamps of received messages and delivery reports: zone sign, impossible values.
    void timeStamps_data()
    {
        QTest::addColumn<QString>("pdu");
        QTest::addColumn<QString>("decoded"); // stamp | text, or stamp | discharge time | status for a report
        const auto deliver = [](const QString &stamp) {
            return QStringLiteral("0791246030500200000C912410325476980000") + stamp + QStringLiteral("05E8329BFD06");
        };
        QTest::newRow("zone west of UTC") << deliver(QStringLiteral("70105180030029")) << QStringLiteral("15.01.2007 08:30:00 -03:00|hello");
        QTest::newRow("zone +05:45") << deliver(QStringLiteral("70105180030032")) << QStringLiteral("15.01.2007 08:30:00 +05:45|hello");
        QTest::newRow("sign over the tens digit") << deliver(QStringLiteral("7010518003008A")) << QStringLiteral("15.01.2007 08:30:00 -07:00|hello");
        QTest::newRow("month 15") << deliver(QStringLiteral("70515180030000")) << QStringLiteral("impossible time stamp (month 15)|hello");
        QTest::newRow("day 33") << deliver(QStringLiteral("70103380030000")) << QStringLiteral("impossible time stamp (day 33)|hello");
        QTest::newRow("all FF") << deliver(QStringLiteral("FFFFFFFFFFFFFF")) << QStringLiteral("impossible time stamp (year FF)|hello");
        QTest::newRow("header flag over empty user data") << QStringLiteral("0791246030500200400C912410325476980000" "70105180030000" "00")
                                                          << QStringLiteral("15.01.2007 08:30:00 +00:00|");
        const QString report = QStringLiteral("0791246030500200" "06" "07" "0C91246020214365" "70105180030000%1");
        QTest::newRow("report: delivered") << report.arg(u"7010518013204000")
                                           << QStringLiteral("15.01.2007 08:30:00 +00:00|15.01.2007 08:31:02 +01:00|delivered");
        QTest::newRow("report: still trying, parameter octet after") << report.arg(u"701051900000292100")
            << QStringLiteral("15.01.2007 08:30:00 +00:00|15.01.2007 09:00:00 -03:00|not delivered yet, still trying: recipient busy");
        QTest::newRow("report: permanent error") << report.arg(u"7010118003000046")
            << QStringLiteral("15.01.2007 08:30:00 +00:00|11.01.2007 08:30:00 +00:00|not delivered: validity period expired");
        QTest::newRow("report: temporary error, given up") << report.arg(u"7010118003000062")
            << QStringLiteral("15.01.2007 08:30:00 +00:00|11.01.2007 08:30:00 +00:00|not delivered, no more attempts: no response from the recipient");
    }
    void timeStamps()
    {
        QFETCH(QString, pdu);
        QFETCH(QString, decoded);
        const auto sms = decodePdu(pdu);
        QVERIFY2(sms.ok(), qPrintable(sms.error()));
        QCOMPARE(sms->stamp.text.isEmpty(), !sms->stamp.problem.isEmpty());
        if (sms->kind == MessageKind::StatusReport) {
            QCOMPARE(sms->number, QStringLiteral("+420602123456"));
            QCOMPARE(QStringList({sms->stamp.display(), sms->discharged.display(), deliveryStatusText(sms->status)}).join(u'|'), decoded);
            QCOMPARE(deliveryOutcome(sms->status) == DeliveryOutcome::Delivered, sms->status == 0);
        } else {
            QCOMPARE(sms->stamp.display() + u'|' + sms->text, decoded);
        }
    }

    void malformed_data()
    {
        QTest::addColumn<QString>("pdu");
        QTest::newRow("empty") << QString();
        QTest::newRow("odd digits") << QStringLiteral("001");
        QTest::newRow("not hex") << QStringLiteral("00ZZ");
        QTest::newRow("centre longer than pdu") << QStringLiteral("0791");
        QTest::newRow("status report cut before its status") << QStringLiteral("0006070C912460202143657010518003000070105180132040");
        QTest::newRow("address longer than pdu") << QStringLiteral("00040C9124");
        QTest::newRow("user data short") << QStringLiteral("0011000C912410325476980000AA06E8329BFD06");
        QTest::newRow("header longer than data") << QStringLiteral("0051000C912410325476980008AA0209AA");
        QTest::newRow("header element overruns") << QStringLiteral("0051000C912410325476980008AA0403000501");
        QTest::newRow("odd ucs2") << QStringLiteral("0011000C912410325476980008AA03004100");
        QTest::newRow("compressed") << QStringLiteral("0011000C912410325476980020AA0100");
        QTest::newRow("seven-bit header past udl") << QStringLiteral("0051000C912410325476980000AA020500");
    }
    void malformed()
    {
        QFETCH(QString, pdu);
        const auto sms = decodePdu(pdu);
        QVERIFY(!sms.ok());
        QVERIFY(!sms.error().isEmpty());
    }

    void everyPrefixIsSafe()
    {
        const QString pdu = QStringLiteral("0791246030500200400C912410325476980008701051800300000F060804ABCD0302004100680020010D");
        for (qsizetype n = 0; n < pdu.size(); n += 2)
            QVERIFY2(!decodePdu(pdu.left(n)).ok(), qPrintable(pdu.left(n)));
    }

    void randomInputNeverCrashes()
    {
        QRandomGenerator rng(20261208);
        int decoded = 0;
        for (int round = 0; round < 5000; ++round) {
            QByteArray b(rng.bounded(0, 80), '\0');
            for (auto &c : b)
                c = char(rng.bounded(256));
            if (round % 2 && !b.isEmpty())
                b[0] = 0; // reach past the centre field more often
            const auto sms = decodePdu(QString::fromLatin1(b.toHex()));
            decoded += sms.ok();
            if (!sms.ok())
                QVERIFY(!sms.error().isEmpty());
        }
        QVERIFY(decoded > 0);
    }

    void encodedMessagesDecodeBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringLiteral("Ahoj, jak se máš?");
        QTest::newRow("extension") << QStringLiteral("{[~^|\\]}€ @$_ £¥");
        QTest::newRow("long seven-bit with escapes") << QString(150, u'x') + QString(30, u'€');
        QTest::newRow("long czech") << QString(200, u'ů');
        QTest::newRow("chinese") << QStringLiteral("中文") + QStringLiteral("\U0001F600");
    }
    void encodedMessagesDecodeBack()
    {
        QFETCH(QString, text);
        const auto parts = encodeMessage(QStringLiteral("+420602111222"), 0xAA, text, false);
        QVERIFY(parts.ok());
        QString joined;
        for (const SubmitPdu &p : *parts) {
            const auto sms = decodePdu(p.pdu);
            QVERIFY2(sms.ok(), qPrintable(sms.error()));
            QCOMPARE(sms->number, QStringLiteral("+420602111222"));
            QCOMPARE(sms->concat.count, parts->size() > 1 ? int(parts->size()) : 0);
            joined += sms->text;
        }
        QCOMPARE(joined, text);
    }

    void mojeCz()
    {
        QCOMPARE(plainAccentsOfSevenBitCodes(QStringLiteral("k\x05v\x07t\x7F")), QStringLiteral("kevita"));
        QCOMPARE(plainAccentsOfSevenBitCodes(QStringLiteral("čéì")), QStringLiteral("čéì"));
    }
};

VANDREL_TEST(SmsEncodeTest)
VANDREL_TEST(SmsDecodeTest)
#include "tst_sms_pdu.moc"
