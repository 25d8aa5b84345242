#include "common/testmain.h"
#include "core/peer.h"
#include "integration/phonerig.h"

#include <core/sms/composer.h>
#include <core/sms/pdu.h>
#include <link/smssession.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

using namespace vandrel;
using namespace vandrel::link;
using itest::PhoneRig;

namespace {

const QString kCentre = QStringLiteral("+420603111222");
const QString kDestination = QStringLiteral("420602123456");

struct Sending {
    Result<SendReport> result;
    QList<SendProgress> progress;
};

Sending send(PhoneRig &rig, const QString &text, quint8 validity, bool report,
             const std::function<void(const SendProgress &)> &also = {}, std::shared_ptr<SendCancel> cancel = {})
{
    Sending s;
    SendProgressHandler onProgress = [&s, &also](const SendProgress &p) {
        s.progress << p;
        if (also)
            also(p);
    };
    OutgoingSms message{kDestination, kCentre, text, validity, report};
    s.result = QCoro::waitFor(sendMessage(*rig.link, message, onProgress, std::move(cancel)));
    return s;
}

QString czech(int letters)
{
    const QString alphabet = QStringLiteral("příliš žluťoučký kůň úpěl ďábelské ódy ");
    QString out;
    while (out.size() < letters)
        out += alphabet;
    return out.left(letters);
}

QString sevenBit(int septets)
{
    QString out;
    for (int i = 0; out.size() < septets; ++i)
        out += QChar(u'a' + i % 26);
    return out;
}

} // namespace

class SmsSendTest : public QObject {
    Q_OBJECT
private slots:
    void sends_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("parts");
        QTest::addColumn<int>("validity");
        QTest::addColumn<QString>("gammuValidity");
        QTest::addColumn<bool>("report");
        QTest::addColumn<bool>("ucs2");
        QTest::addColumn<int>("delay");
        QTest::newRow("one part") << sevenBit(160) << 1 << int(sms::validityForDays(2)) << QStringLiteral("2D") << true
                                  << false << 0;
        QTest::newRow("two parts, escape pair on the boundary")
            << sevenBit(152) + QStringLiteral("€") + sevenBit(150) << 2 << int(sms::validityForDays(30))
            << QStringLiteral("30D") << false << false << 0;
        QTest::newRow("five parts, slow phone") << sevenBit(755) << 5 << int(sms::validityForHours(6))
                                                << QStringLiteral("360M") << true << false << 40;
        QTest::newRow("UCS-2, three parts") << czech(150) << 3 << int(sms::validityForHours(13))
                                            << QStringLiteral("780M") << true << true << 0;
        QTest::newRow("without diacritics") << sms::withoutDiacritics(czech(150)) << 1
                                            << int(sms::validityForDays(1)) << QStringLiteral("1440M") << false
                                            << false << 0;
    }
    // Every part goes after its prompt and decodes with gammu to what was typed.
    void sends()
    {
        QFETCH(QString, text);
        QFETCH(int, parts);
        QFETCH(int, validity);
        QFETCH(QString, gammuValidity);
        QFETCH(bool, report);
        QFETCH(bool, ucs2);
        QFETCH(int, delay);
        PhoneRig rig(quint32(40 + parts));
        rig.phone->controls().delayPrompt(delay).delaySendAnswer(delay);
        QVERIFY(!rig.modem->open());

        const Sending s = send(rig, text, quint8(validity), report);
        QVERIFY2(s.result.ok(), qPrintable(sendFailureText(s.result)));
        QCOMPARE(s.result.value.parts, parts);
        QCOMPARE(s.result.value.references.size(), parts);
        QCOMPARE(s.progress.size(), 2 * parts);
        QCOMPARE(s.progress.last().part, parts);
        QCOMPARE(s.progress.last().reference, s.result.value.references.last());
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
        QVERIFY(rig.modem->writes().contains("at+csca=\"" + kCentre.toLatin1() + "\"\r"));

        const auto &sent = rig.phone->sentMessages();
        QCOMPARE(sent.size(), parts);
        QJsonArray pdus;
        for (const auto &m : sent)
            pdus.append(QString::fromLatin1(m.pdu));
        QString why;
        const QJsonDocument answer = vtest::runPeer(QStringLiteral("gammu_peer.py"),
                                                    QJsonDocument(QJsonObject{{QStringLiteral("decode"), pdus}}), &why);
        QVERIFY2(answer.isObject(), qPrintable(why));
        const QJsonArray decoded = answer.object().value(QStringLiteral("decoded")).toArray();
        QCOMPARE(decoded.size(), parts);
        QString joined;
        for (int k = 0; k < parts; ++k) {
            const QJsonObject d = decoded[k].toObject();
            QCOMPARE(d[QStringLiteral("number")].toString(), u'+' + kDestination);
            QCOMPARE(d[QStringLiteral("validity")].toString(), gammuValidity);
            QCOMPARE(d[QStringLiteral("coding")].toString(),
                     ucs2 ? QStringLiteral("Unicode_No_Compression") : QStringLiteral("Default_No_Compression"));
            QCOMPARE(d[QStringLiteral("part")].toInt(), parts > 1 ? k + 1 : -1);
            QCOMPARE(d[QStringLiteral("parts")].toInt(), parts > 1 ? parts : 0);
            QCOMPARE(sent[k].content.statusReport, report && k == parts - 1);
            joined += d[QStringLiteral("text")].toString();
        }
        QCOMPARE(joined, text);
    }

    // No prompt: ESC ends the half-started message and the port takes the next message.
    void withheldPrompt()
    {
        PhoneRig rig(51);
        rig.link->timing().smsPromptLimit = std::chrono::milliseconds(300);
        rig.phone->controls().withholdPrompt(true);
        QVERIFY(!rig.modem->open());
        const Sending failed = send(rig, QStringLiteral("Ahoj"), 0xA8, false);
        QVERIFY(failed.result.outcome.isFailed());
        QVERIFY(!failed.result.outcome.isLinkFailure());
        QVERIFY(failed.result.value.noPrompt);
        QCOMPARE(failed.result.value.failedPart, 1);
        QVERIFY(rig.modem->writes().contains(QByteArray("\x1b")));
        QVERIFY(rig.phone->sentMessages().isEmpty());
        QVERIFY(sendFailureText(failed.result).contains(QStringLiteral("did not ask")));

        rig.phone->controls().withholdPrompt(false);
        const Sending next = send(rig, QStringLiteral("Ahoj znovu"), 0xA8, false);
        QVERIFY2(next.result.ok(), qPrintable(sendFailureText(next.result)));
        QCOMPARE(rig.phone->sentMessages().size(), 1);
        QCOMPARE(rig.phone->sentMessages().first().content.text, QStringLiteral("Ahoj znovu"));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    // The phone refuses part 2 of 3: part 1 went, part 3 is not tried.
    void refusedPart()
    {
        PhoneRig rig(52);
        QVERIFY(!rig.modem->open());
        const auto failSecond = [&rig](const SendProgress &p) {
            if (p.part == 1 && p.reference >= 0)
                rig.phone->controls().failNextSend(38);
        };
        const Sending s = send(rig, sevenBit(400), 0xA8, true, failSecond);
        QVERIFY(s.result.outcome.isFailed());
        QCOMPARE(s.result.value.parts, 3);
        QCOMPARE(s.result.value.failedPart, 2);
        QCOMPARE(s.result.value.references.size(), 1);
        QCOMPARE(s.result.value.cmsError, std::optional<int>(38));
        QCOMPARE(rig.phone->sentMessages().size(), 1);
        const QString text = sendFailureText(s.result);
        QVERIFY2(text.contains(QStringLiteral("Part 2 of 3")) && text.contains(QStringLiteral("network out of order")) &&
                     text.contains(QStringLiteral("Sent: part 1.")),
                 qPrintable(text));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    // Cancel takes effect between parts; the part under way is finished.
    void cancelBetweenParts()
    {
        PhoneRig rig(53);
        QVERIFY(!rig.modem->open());
        auto cancel = std::make_shared<SendCancel>();
        const auto cancelDuringFirst = [cancel](const SendProgress &p) {
            if (p.part == 1 && p.reference < 0)
                cancel->requested = true;
        };
        const Sending s = send(rig, sevenBit(400), 0xA8, false, cancelDuringFirst, cancel);
        QVERIFY(s.result.outcome.isCancelled());
        QCOMPARE(s.result.value.references.size(), 1);
        QCOMPARE(rig.phone->sentMessages().size(), 1);
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    void phoneCentre()
    {
        PhoneRig rig(54);
        QVERIFY(!rig.modem->open());
        const auto centre = QCoro::waitFor(phoneServiceCentre(*rig.link));
        QVERIFY2(centre.ok(), qPrintable(centre.outcome.detail));
        QCOMPARE(centre.value, QStringLiteral("+420603052000"));
    }
};

VANDREL_TEST(SmsSendTest)
#include "tst_sms_send.moc"
