#include "common/testmain.h"
#include "peer.h"

#include <core/sms/pdu.h>
#include <core/text/gsm7.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

using namespace vandrel::sms;

namespace {
struct Case {
    QString number;
    QString text;
    bool report;
};

QList<Case> encodeCases()
{
    return {
        {QStringLiteral("420123456789"), QStringLiteral("hello"), false},
        {QStringLiteral("+420602111222"), QStringLiteral("Cena 5€ {x} [y] ~|^\\ @$_ £¥ §¿¡ ÄÖÜäöü"), true},
        {QStringLiteral("12345"), QStringLiteral("Hi 1234"), false},
        {QStringLiteral("420123456789"), QStringLiteral("Ahoj č, Příliš žluťoučký kůň úpěl ďábelské ódy"), true},
        {QStringLiteral("420123456789"), QString(150, u'a') + QString(20, u'€') + QStringLiteral("konec"), false},
        {QStringLiteral("420123456789"), QString(140, u'ř') + QStringLiteral("中文"), true},
        {QStringLiteral("3"), QString(700, u'z'), false},
    };
}
} // namespace

class SmsPeerTest : public QObject {
    Q_OBJECT
private slots:
    void ourPdusDecodeWithGammu()
    {
        QJsonArray pdus;
        QList<QStringList> partTexts;
        QList<int> reports;
        for (const Case &c : encodeCases()) {
            const auto parts = encodeMessage(c.number, 0xAA, c.text, c.report);
            QVERIFY2(parts.ok(), qPrintable(parts.error()));
            partTexts.append(*splitIntoParts(c.text));
            for (const SubmitPdu &p : *parts)
                pdus.append(p.pdu);
        }
        QString why;
        const QJsonDocument answer = vtest::runPeer(QStringLiteral("gammu_peer.py"),
                                                    QJsonDocument(QJsonObject{{QStringLiteral("decode"), pdus}}), &why);
        QVERIFY2(answer.isObject(), qPrintable(why));
        const QJsonArray decoded = answer.object().value(QStringLiteral("decoded")).toArray();
        QCOMPARE(decoded.size(), pdus.size());

        qsizetype at = 0;
        const QList<Case> cases = encodeCases();
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const Case &c = cases[i];
            const QStringList &texts = partTexts[i];
            QString number = c.number;
            if (!number.startsWith(u'+'))
                number.prepend(u'+');
            for (qsizetype k = 0; k < texts.size(); ++k, ++at) {
                const QJsonObject d = decoded[at].toObject();
                const QString where = QStringLiteral("case %1 part %2").arg(i).arg(k + 1);
                QCOMPARE(d[QStringLiteral("type")].toString(), QStringLiteral("Submit"));
                QVERIFY2(d[QStringLiteral("number")].toString() == number, qPrintable(where));
                QVERIFY2(d[QStringLiteral("text")].toString() == texts[k], qPrintable(where + QStringLiteral(": ") + d[QStringLiteral("text")].toString()));
                const bool sevenBit = vandrel::text::gsm7CanEncode(c.text);
                QCOMPARE(d[QStringLiteral("coding")].toString(),
                         sevenBit ? QStringLiteral("Default_No_Compression") : QStringLiteral("Unicode_No_Compression"));
                // "09" carries no class: bit 4 of the coding is clear.
                QCOMPARE(d[QStringLiteral("class")].toInt(), -1);
                if (texts.size() > 1) {
                    QCOMPARE(d[QStringLiteral("udhType")].toString(), QStringLiteral("ConcatenatedMessages"));
                    QCOMPARE(d[QStringLiteral("concatReference")].toInt(), int(kConcatReference));
                    QCOMPARE(d[QStringLiteral("part")].toInt(), int(k + 1));
                    QCOMPARE(d[QStringLiteral("parts")].toInt(), int(texts.size()));
                } else {
                    QCOMPARE(d[QStringLiteral("udhType")].toString(), QStringLiteral("NoUDH"));
                }
            }
        }
    }

    // Hand-made delivery reports (TS 23.040 9.2.2.3) read alike by gammu and by us.
    void statusReportsDecodeAlike()
    {
        const QStringList pdus = {
            QStringLiteral("0791246030500200" "06" "07" "0C91246020214365" "70105180030000" "70105180132040" "00"),
            QStringLiteral("00" "06" "08" "0C91246020214365" "70105180030029" "70105190000029" "21"),
            QStringLiteral("0791246030500200" "06" "FE" "0B912460202143F5" "70211332959532" "80101180030000" "46"),
            QStringLiteral("0791246030500200" "06" "10" "098106123254F6" "70105180030000" "70105180030000" "62"),
        };
        QString why;
        const QJsonDocument answer = vtest::runPeer(QStringLiteral("gammu_peer.py"),
                                                    QJsonDocument(QJsonObject{{QStringLiteral("decode"), QJsonArray::fromStringList(pdus)}}), &why);
        const QJsonArray decoded = answer.object().value(QStringLiteral("decoded")).toArray();
        QVERIFY2(decoded.size() == pdus.size(), qPrintable(why));
        // gammu drops the zone: the local times must agree.
        const auto local = [](const TimeStamp &t) { return QDateTime::fromString(t.text, QStringLiteral("dd.MM.yyyy hh:mm:ss")).toString(Qt::ISODate); };
        for (qsizetype i = 0; i < pdus.size(); ++i) {
            const QJsonObject g = decoded[i].toObject();
            const auto ours = decodePdu(pdus[i]);
            QCOMPARE(g[QStringLiteral("type")].toString(), QStringLiteral("Status_Report"));
            QCOMPARE(QStringList({ours->number, QString::number(ours->messageReference), QString::number(ours->status),
                                  local(ours->stamp), local(ours->discharged)}),
                     QStringList({g[QStringLiteral("number")].toString(), QString::number(g[QStringLiteral("reference")].toInt()),
                                  QString::number(g[QStringLiteral("deliveryStatus")].toInt()), g[QStringLiteral("sent")].toString(),
                                  g[QStringLiteral("delivered")].toString()}));
        }
    }

    void gammuDeliversDecodeWithOurs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<bool>("concatenated");
        QTest::newRow("seven-bit with extension characters") << QStringLiteral("Cena 5€ {x} [y] ~|^\\ @$_ £") << QStringLiteral("+420123456789") << false << false;
        QTest::newRow("ucs2 czech") << QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy ŠŤŽČŘĎŇŮ") << QStringLiteral("+420123456789") << true << false;
        QTest::newRow("alphanumeric sender") << QStringLiteral("Ahoj") << QStringLiteral("Vandrel") << false << false;
        QTest::newRow("national odd number") << QStringLiteral("12345678") << QStringLiteral("12345") << false << false;
        QTest::newRow("concatenated seven-bit") << QString(40, u'x') + QStringLiteral(" {brace} ").repeated(30) << QStringLiteral("+420777888999") << false << true;
        QTest::newRow("concatenated ucs2") << QStringLiteral("Dlouhá zpráva ").repeated(12) << QStringLiteral("+420777888999") << true << true;
    }
    void gammuDeliversDecodeWithOurs()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        QFETCH(bool, unicode);
        QFETCH(bool, concatenated);
        const QJsonObject wanted{{QStringLiteral("text"), text}, {QStringLiteral("number"), number},
                               {QStringLiteral("unicode"), unicode}, {QStringLiteral("long"), concatenated}};
        QString why;
        const QJsonDocument answer = vtest::runPeer(
            QStringLiteral("gammu_peer.py"), QJsonDocument(QJsonObject{{QStringLiteral("deliver"), QJsonArray{wanted}}}), &why);
        QVERIFY2(answer.isObject(), qPrintable(why));
        const QJsonArray pdus = answer.object().value(QStringLiteral("delivered")).toArray().at(0).toArray();
        QVERIFY(!pdus.isEmpty());
        QCOMPARE(pdus.size() > 1, concatenated);

        QString joined;
        int reference = -1;
        for (qsizetype k = 0; k < pdus.size(); ++k) {
            const auto sms = decodePdu(pdus[k].toString());
            QVERIFY2(sms.ok(), qPrintable(sms.error()));
            QVERIFY(!sms->outgoing());
            QCOMPARE(sms->serviceCentre, QStringLiteral("+420603052000"));
            QCOMPARE(sms->number, number);
            QCOMPARE(sms->stamp.display(), QStringLiteral("15.01.2007 08:30:00 +00:00"));
            QCOMPARE(sms->coding, unicode ? Coding::Ucs2 : Coding::Gsm7);
            if (concatenated) {
                QCOMPARE(sms->concat.count, int(pdus.size()));
                QCOMPARE(sms->concat.number, int(k + 1));
                if (reference >= 0)
                    QCOMPARE(sms->concat.reference, reference);
                reference = sms->concat.reference;
            } else {
                QCOMPARE(sms->concat.count, 0);
            }
            joined += sms->text;
        }
        QCOMPARE(joined, text);
    }
};

VANDREL_TEST(SmsPeerTest)
#include "tst_sms_peer.moc"
