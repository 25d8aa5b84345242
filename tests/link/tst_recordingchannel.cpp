#include "common/testmain.h"

#include <channel/fakeserialchannel.h>
#include <link/recordingchannel.h>

#include <QTemporaryDir>
#include <QTest>

using namespace vandrel::link;
using vandrel::channel::FakeSerialChannel;
using vandrel::text::TranscriptEntry;
using Port = TranscriptEntry::Port;
using Direction = TranscriptEntry::Direction;

class RecordingChannelTest : public QObject {
    Q_OBJECT
private slots:
    // Both ports share one transcript; a failed write is not recorded; every line is in the
    // file while it is still open; switching off stops the recording.
    void recordsWhatWentOverTheWire()
    {
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        auto writer = std::make_shared<TranscriptWriter>();
        QVERIFY(applyTranscriptSetting(*writer, {true, path}));
        auto *modemFake = new FakeSerialChannel;
        auto *diagFake = new FakeSerialChannel;
        RecordingChannel modem(modemFake, writer, Port::Modem);
        RecordingChannel diag(diagFake, writer, Port::Diag);
        QVERIFY(!modem.open() && !diag.open());

        QVERIFY(modem.write("AT\r"));
        modemFake->feed("OK");
        QCOMPARE(modem.readAll(), QByteArray("OK"));
        diagFake->failNextWrite();
        QVERIFY(!diag.write("lost"));
        QVERIFY(diag.write(QByteArray("\x7E\x00", 2)));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith(vandrel::text::transcriptHeader() + '\n'));
        int bad = -1;
        QList<TranscriptEntry> entries = vandrel::text::parseTranscript(text, &bad);
        QCOMPARE(bad, 0);
        for (TranscriptEntry &e : entries)
            e.milliseconds = 0;
        const QList<TranscriptEntry> expected{{0, Port::Modem, Direction::ToPhone, "AT\r"},
                                              {0, Port::Modem, Direction::FromPhone, "OK"},
                                              {0, Port::Diag, Direction::ToPhone, QByteArray("\x7E\x00", 2)}};
        QCOMPARE(entries, expected);

        QVERIFY(applyTranscriptSetting(*writer, {false, path}));
        QVERIFY(modem.write("ATZ\r"));
        file.seek(0);
        QCOMPARE(file.readAll(), text);
    }
};

VANDREL_TEST(RecordingChannelTest)

#include "tst_recordingchannel.moc"
