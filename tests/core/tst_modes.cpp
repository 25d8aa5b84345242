#include "common/testmain.h"

#include <core/diag/frame.h>
#include <core/diag/modes.h>

#include <QTest>

using namespace vandrel::diag;

namespace {
QByteArray hex(const char *h) { return QByteArray::fromHex(h); }
} // namespace

class PhoneModePayloadTest : public QObject {
    Q_OBJECT
private slots:
    void requests_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("online") << int(PhoneMode::Online) << hex("290400893E7E");
        QTest::newRow("offline") << int(PhoneMode::Offline) << hex("29050051277E");
        QTest::newRow("factory") << int(PhoneMode::FactoryMode) << hex("29030081737E");
        QTest::newRow("reset") << int(PhoneMode::ResetRequest) << hex("29010031407E");
        QTest::newRow("restart") << int(PhoneMode::Restart) << hex("290200596A7E");
    }
    void requests()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, wire);
        QCOMPARE(encodeDiagFrame(modeRequest(PhoneMode(mode))).toHex(' '), wire.toHex(' '));
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("echo") << hex("290500") << int(ModeReply::Kind::Echo) << 0;
        QTest::newRow("longer echo") << hex("29010000") << int(ModeReply::Kind::Echo) << 0;
        QTest::newRow("bad command") << hex("13") << int(ModeReply::Kind::Error) << 0x13;
        QTest::newRow("bad parameters") << hex("142905") << int(ModeReply::Kind::Error) << 0x14;
        QTest::newRow("bad length") << hex("15") << int(ModeReply::Kind::Error) << 0x15;
        QTest::newRow("file system reply") << hex("590A1C") << int(ModeReply::Kind::Other) << 0;
        QTest::newRow("empty") << QByteArray() << int(ModeReply::Kind::Other) << 0;
    }
    void answers()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, kind);
        QFETCH(int, code);
        const ModeReply r = judgeModeReply(payload);
        QCOMPARE(int(r.kind), kind);
        QCOMPARE(int(r.errorCode), code);
    }

    void replyActions_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("obex");
        QTest::addColumn<int>("action");
        QTest::newRow("reset echo, obex") << hex("290100") << true << int(ModeReplyAction::Restart);
        QTest::newRow("reset echo, brew") << hex("290100") << false << int(ModeReplyAction::Restart);
        QTest::newRow("online echo, obex") << hex("290400") << true << int(ModeReplyAction::BackToModem);
        QTest::newRow("online echo, brew") << hex("290400") << false << int(ModeReplyAction::None);
        QTest::newRow("longer reset reply") << hex("29010000") << true << int(ModeReplyAction::BackToModem);
        QTest::newRow("file system reply") << hex("590A1C") << true << int(ModeReplyAction::None);
        QTest::newRow("empty") << QByteArray() << true << int(ModeReplyAction::None);
    }
    void replyActions()
    {
        QFETCH(QByteArray, payload);
        QFETCH(bool, obex);
        QFETCH(int, action);
        QCOMPARE(int(modeReplyAction(payload, obex)), action);
    }
};

VANDREL_TEST(PhoneModePayloadTest)
#include "tst_modes.moc"
