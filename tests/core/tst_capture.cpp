#include "common/testmain.h"

#include <core/diag/capture.h>

#include <QTest>

using namespace vandrel::diag;

namespace {
QByteArray hex(const char *h) { return QByteArray::fromHex(h); }
} // namespace

class CapturePayloadTest : public QObject {
    Q_OBJECT
private slots:
    void request()
    {
        QCOMPARE(captureRequest(), hex("4B1001000000000000FFFFFFFF00") + QByteArray("DispCapture.bmp") + hex("00"));
        QCOMPARE(captureRequest().size(), 30);
    }

    void acknowledgement_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("ack");
        QTest::newRow("the echo") << captureRequest() << true;
        QTest::newRow("the mark alone") << hex("4B10010000000000") << true;
        QTest::newRow("the mark further in") << hex("4B0B4B10010000000000") << true;
        QTest::newRow("mark cut short") << hex("4B100100000000") << false;
        QTest::newRow("other subsystem") << hex("4B11010000000000") << false;
        QTest::newRow("not a 4B frame") << hex("594B10010000000000") << false;
        QTest::newRow("an error frame") << hex("134B1001000000000000") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void acknowledgement()
    {
        QFETCH(QByteArray, payload);
        QFETCH(bool, ack);
        QCOMPARE(isCaptureAcknowledgement(payload), ack);
    }

    void pictureName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("unix folder") << QStringLiteral("/home/u/shots/") << QStringLiteral("/home/u/shots/09.12.2026_14.03.07.bmp");
        QTest::newRow("drive letter keeps its colon") << QStringLiteral("c:\\shots\\")
                                                      << QStringLiteral("c:\\shots\\09.12.2026_14.03.07.bmp");
        QTest::newRow("colons in the folder past the drive") << QStringLiteral("d:\\a:b\\")
                                                             << QStringLiteral("d:\\a.b\\09.12.2026_14.03.07.bmp");
    }
    void pictureName()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QCOMPARE(capturePictureName(folder, QDateTime(QDate(2026, 12, 9), QTime(14, 3, 7))), name);
    }
};

VANDREL_TEST(CapturePayloadTest)
#include "tst_capture.moc"
