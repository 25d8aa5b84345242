#include "common/testmain.h"
#include "integration/phonerig.h"

#include <core/sms/smslist.h>
#include <link/brewsession.h>
#include <link/dispatcher.h>
#include <link/phoneinfosession.h>
#include <link/smssession.h>
#include <phone-sim/seed.h>

#include <QSignalSpy>
#include <QTest>

using namespace vandrel;
using namespace vandrel::link;
using itest::PhoneRig;

namespace {

QList<int> indexesOf(const QList<at::StoredMessage> &messages)
{
    QList<int> out;
    for (const auto &m : messages)
        out << m.index;
    return out;
}

QList<int> storedIndexes(PhoneRig &rig, int state)
{
    QList<int> out;
    for (const auto &m : rig.phone->messageStore().list(state))
        out << m.index;
    return out;
}

// A stored outgoing message with an empty text to an empty address: the shortest TPDU there is.
const QByteArray kShortSubmit = "00" "01" "00" "00" "81" "00" "00" "00";

} // namespace

class SmsSessionTest : public QObject {
    Q_OBJECT
private slots:
    void filters_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<int>("state");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("unread") << int(SmsFilter::Unread) << 0 << QByteArray("AT+CMGL=0\r");
        QTest::newRow("read") << int(SmsFilter::Read) << 1 << QByteArray("AT+CMGL=1\r");
        QTest::newRow("unsent") << int(SmsFilter::Unsent) << 3 << QByteArray("AT+CMGL=3\r");
        QTest::newRow("sent") << int(SmsFilter::Sent) << 2 << QByteArray("AT+CMGL=2\r");
        QTest::newRow("all") << int(SmsFilter::All) << 4 << QByteArray("AT+CMGL=4\r");
    }
    // Each filter lists exactly what the phone holds in that state.
    void filters()
    {
        QFETCH(int, filter);
        QFETCH(int, state);
        QFETCH(QByteArray, command);
        PhoneRig rig(20 + quint32(filter));
        QVERIFY(!rig.modem->open());
        const QList<int> expected = storedIndexes(rig, state);
        QVERIFY(!expected.isEmpty());
        const auto r = QCoro::waitFor(listMessages(*rig.link, SmsFilter(filter)));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(indexesOf(r.value.messages), expected);
        QVERIFY(r.value.problems.isEmpty());
        QVERIFY(rig.modem->writes().contains(command));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    void entryFields_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("pdu");
        QTest::addColumn<int>("length");
        QTest::newRow("one digit, one digit") << 7 << kShortSubmit << 7;
        QTest::newRow("two digits, two digits") << 42 << QByteArray("00" "01" "00" "00" "81" "00" "00" "0A" + QByteArray(20, '0')) << 17;
        QTest::newRow("three digits, three digits")
            << 123 << QByteArray("00" "01" "00" "00" "81" "00" "04" "8C" + QByteArray(280, 'A')) << 147;
    }
    // The index and the PDU of every entry, whatever the widths of its index and length.
    void entryFields()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, pdu);
        QFETCH(int, length);
        PhoneRig rig(30 + quint32(index));
        auto &store = rig.phone->messageStore();
        for (const auto &m : store.list(4))
            store.remove(m.index);
        store.put(index, 2, pdu);
        QVERIFY(!rig.modem->open());
        const auto r = QCoro::waitFor(listMessages(*rig.link, SmsFilter::All));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value.messages.size(), 1);
        QCOMPARE(r.value.messages[0].index, index);
        QCOMPARE(r.value.messages[0].length, length);
        QCOMPARE(r.value.messages[0].pdu.toLatin1(), pdu);
    }

    void emptyAndRefused_data()
    {
        QTest::addColumn<QString>("errorTo");
        QTest::addColumn<int>("kind"); // -1: completed
        QTest::newRow("nothing stored") << QString() << -1;
        QTest::newRow("ERROR") << QStringLiteral("AT+CMGL=4") << int(FailureKind::PhoneError);
    }
    void emptyAndRefused()
    {
        QFETCH(QString, errorTo);
        QFETCH(int, kind);
        PhoneRig rig(41);
        auto &store = rig.phone->messageStore();
        for (const auto &m : store.list(4))
            store.remove(m.index);
        if (!errorTo.isEmpty())
            rig.phone->controls().answerErrorTo(errorTo);
        QVERIFY(!rig.modem->open());
        const auto r = QCoro::waitFor(listMessages(*rig.link, SmsFilter::All));
        if (kind < 0) {
            QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
            QVERIFY(r.value.messages.isEmpty());
        } else {
            QVERIFY(r.outcome.isFailed());
            QCOMPARE(int(r.outcome.kind), kind);
        }
    }

    // Connecting from the SMS tab sends "ATE1" without waiting for its answer; a listing asked
    // for at once still gets its own reply.
    void replyOfAnUnwaitedCommand()
    {
        PhoneRig rig(42);
        QVERIFY(!rig.modem->open());
        QVERIFY(rig.link->writeRaw(PhoneLink::Port::Modem, "ATE1\r").ok());
        const auto r = QCoro::waitFor(listMessages(*rig.link, SmsFilter::Sent));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(indexesOf(r.value.messages), storedIndexes(rig, 2));
    }

    // The seeded phone as the list shows it: linked parts joined in part order, the missing
    // part marked, names by equal digits or the last nine, never by a part of a number.
    void rowsOfTheSeededPhone()
    {
        PhoneRig rig(50);
        QVERIFY(!rig.modem->open());
        const auto r = QCoro::waitFor(listMessages(*rig.link, SmsFilter::All));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        const QStringList book = {QStringLiteral("Ústředna$&@602;;;;"), QStringLiteral("Jan Novák$&@602123456;;;;"),
                                  QStringLiteral("Věra$&@00420731987654;;;;")};
        const auto listing = sms::buildRows(r.value.messages, book, QDateTime::currentDateTime());
        QMap<QString, sms::SmsRow> byIndexes;
        for (const auto &row : listing.rows)
            byIndexes.insert(row.indexesText(), row);
        QVERIFY(!byIndexes.contains(QStringLiteral("8"))); // "xxxdelxxx"
        const struct {
            const char *indexes;
            QString name;
            QString text;
        } expected[] = {
            {"1", QStringLiteral("Jan Novák"), {}},
            {"3+7", QString(), phonesim::seededTwoPartText()},
            {"12+4+9", QStringLiteral("Věra"), phonesim::seededThreePartText()},
            {"6+11", QString(), {}},
        };
        for (const auto &e : expected) {
            const QString key = QString::fromLatin1(e.indexes);
            QVERIFY2(byIndexes.contains(key), qPrintable(key));
            QCOMPARE(byIndexes[key].name, e.name);
            if (!e.text.isEmpty())
                QCOMPARE(byIndexes[key].text, e.text);
        }
        const sms::SmsRow &gap = byIndexes[QStringLiteral("6+11")];
        QCOMPARE(gap.missingParts, 1);
        QVERIFY(gap.text.contains(sms::kMissingPart));
        QVERIFY(gap.text.endsWith(QStringLiteral("konec.")));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    void deleteParts_data()
    {
        QTest::addColumn<QList<int>>("indexes");
        QTest::addColumn<int>("refused");
        QTest::newRow("joined row") << QList<int>{12, 4, 9} << 0;
        QTest::newRow("first part refused") << QList<int>{3, 7} << 1;
    }
    // Every part of a row is deleted; a refused one is named and the others still go.
    void deleteParts()
    {
        QFETCH(QList<int>, indexes);
        QFETCH(int, refused);
        PhoneRig rig(60);
        if (refused)
            rig.phone->controls().refuseNextDelete(refused);
        QVERIFY(!rig.modem->open());
        const auto r = QCoro::waitFor(deleteMessages(*rig.link, indexes));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value.size(), refused);
        for (qsizetype i = 0; i < indexes.size(); ++i)
            QCOMPARE(rig.phone->messageStore().at(indexes[i]).has_value(), i < refused);
        if (refused)
            QCOMPARE(r.value.first().index, indexes.first());
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    void readOne()
    {
        PhoneRig rig(61);
        QVERIFY(!rig.modem->open());
        const auto r = QCoro::waitFor(readMessage(*rig.link, 2));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value.index, 2);
        const auto sms = sms::decodePdu(r.value.pdu);
        QVERIFY(sms.ok());
        QVERIFY(sms->text.startsWith(QStringLiteral("Příliš žluťoučký")));
        const auto missing = QCoro::waitFor(readMessage(*rig.link, 500));
        QVERIFY(missing.outcome.isFailed());
        QCOMPARE(missing.outcome.kind, FailureKind::Refused);
    }

    void noticeDuringPhoneInfo()
    {
        PhoneRig rig(70);
        QVERIFY(!rig.modem->open());
        QVERIFY(QCoro::waitFor(rig.link->atCommand("AT+CNMI=1,1,0,2")).ok());
        ReceiveDispatcher dispatcher(*rig.link);
        dispatcher.setReadSMS(true);
        QSignalSpy incoming(&dispatcher, &ReceiveDispatcher::incomingMessage);
        QList<int> stored;
        std::function<bool(const PhoneInfoRow &)> onRow = [&](const PhoneInfoRow &) {
            if (stored.isEmpty())
                stored = rig.phone->receiveMessage(QStringLiteral("+420602123456"), QStringLiteral("Uprostřed dotazů"));
            return true;
        };
        const auto info = QCoro::waitFor(readPhoneInfo(*rig.link, onRow));
        QVERIFY2(info.ok(), qPrintable(info.outcome.detail));
        QCOMPARE(info.value.size(), 9);
        for (const auto &row : info.value)
            QVERIFY2(!row.value.isEmpty() && row.value != QStringLiteral("ERROR") && !row.value.contains(QStringLiteral("CMTI")),
                     qPrintable(row.label + u'=' + row.value));
        QCOMPARE(stored.size(), 1);
        QTRY_COMPARE(incoming.count(), 1);
        // The read went out after the last query of the exchange.
        const QList<QByteArray> writes = rig.modem->writes();
        const QByteArray read = "AT+CMGR=" + QByteArray::number(stored[0]) + '\r';
        QCOMPARE(writes.last(), read);
        const auto message = decodeIncoming(incoming[0][1].toByteArray(), QDateTime::currentDateTime());
        QVERIFY2(message.ok(), qPrintable(message.error()));
        QCOMPARE(incoming[0][0].toInt(), stored[0]);
        QCOMPARE(message->sms.text, QStringLiteral("Uprostřed dotazů"));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    void noticeDuringBrewListing()
    {
        PhoneRig rig(71);
        QVERIFY(!rig.modem->open());
        QVERIFY(!rig.diag->open());
        QVERIFY(QCoro::waitFor(rig.link->atCommand("AT+CNMI=1,1,0,2")).ok());
        ReceiveDispatcher dispatcher(*rig.link);
        dispatcher.setReadSMS(true);
        dispatcher.setTab(ReceiveDispatcher::Tab::Other);
        QSignalSpy incoming(&dispatcher, &ReceiveDispatcher::incomingMessage);
        BrewSession brew(*rig.link);
        auto listing = brew.listBrewFolder(QStringLiteral("brew/mod/"));
        rig.phone->receiveMessage(QStringLiteral("+420731987654"), QStringLiteral("Během výpisu"));
        const auto folder = QCoro::waitFor(std::move(listing));
        QVERIFY2(folder.ok(), qPrintable(folder.outcome.detail));
        QVERIFY(folder.value.find(QStringLiteral("game")));
        QTRY_COMPARE(incoming.count(), 1);
        const auto message = decodeIncoming(incoming[0][1].toByteArray(), QDateTime::currentDateTime());
        QVERIFY2(message.ok(), qPrintable(message.error()));
        QCOMPARE(message->sms.text, QStringLiteral("Během výpisu"));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    void twoNoticesInOneRead_data()
    {
        QTest::addColumn<bool>("whole");
        QTest::newRow("one read") << true;
        QTest::newRow("split at random") << false;
    }
    void twoNoticesInOneRead()
    {
        QFETCH(bool, whole);
        PhoneRig rig(72);
        if (whole)
            rig.phone->controls().sendWhole();
        QVERIFY(!rig.modem->open());
        ReceiveDispatcher dispatcher(*rig.link);
        dispatcher.setReadSMS(true);
        QSignalSpy incoming(&dispatcher, &ReceiveDispatcher::incomingMessage);
        rig.phone->sendUnsolicited("+CMTI: \"SM\",1\r\n+CMTI: \"SM\",2");
        QTRY_COMPARE(incoming.count(), 2);
        QStringList texts;
        for (const auto &args : incoming)
            texts << decodeIncoming(args[1].toByteArray(), QDateTime::currentDateTime())->sms.text;
        QVERIFY(texts[0].startsWith(QStringLiteral("Cena 5€")));
        QVERIFY(texts[1].startsWith(QStringLiteral("Příliš")));
    }
};

VANDREL_TEST(SmsSessionTest)
#include "tst_sms_session.moc"
