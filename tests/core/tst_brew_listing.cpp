#include "common/testmain.h"
#include "tst_brew_fixtures.h"
#include "tst_codec_feed.h"

#include <core/brew/listing.h>
#include <core/diag/frame.h>

#include <QTest>

using namespace vandrel::brew;
using vandrel::explorer::DirEntry;
using namespace feedtest;
using brewfixture::entryReply;

namespace {
QByteArray hex(const char *h) { return QByteArray::fromHex(h); }


QByteArray listRequest(quint8 op, quint16 seq, const QByteArray &field)
{
    QByteArray p = hex("59");
    p.append(char(op));
    p.append(char(seq & 0xFF));
    p.append(char(seq >> 8));
    p.append(2, '\0');
    return p + field;
}

const QString kDate = QStringLiteral("08.12.2026 10:00:00");
} // namespace

class BrewListingTest : public QObject {
    Q_OBJECT
private slots:
    void foldersThenFiles()
    {
        const QByteArray replies = [] {
            QByteArray s;
            for (const QByteArray &p : {entryReply(0x0A, 0, 0, "brew/mod/game"), entryReply(0x0A, 1, 0, "brew/mod/zz"),
                                        hex("590A1C"), entryReply(0x0B, 0, 1234, "brew/mod/a.mod"), hex("590B1C")})
                s += vandrel::diag::encodeDiagFrame(p);
            return s;
        }();
        const QByteArray folder = hex("09") + "brew/mod" + hex("00");
        const QByteArray files = hex("0A") + "brew/mod/" + hex("00");
        const QList<QByteArray> expectedRequests{listRequest(0x0A, 1, folder), listRequest(0x0A, 2, folder),
                                                 listRequest(0x0B, 0, files), listRequest(0x0B, 1, files)};
        for (const Split split : allSplits()) {
            const Fed fed = feed(vandrel::diag::diagFrameLength, replies, split, hex("590A"));
            BrewLister lister;
            QCOMPARE(*lister.start(QStringLiteral("brew/mod/"), kDate), listRequest(0x0A, 0, folder));
            QList<QByteArray> sent;
            Step last = Step::Ignored;
            for (const QByteArray &frame : fed.items) {
                const auto next = lister.onReply(vandrel::diag::decodeDiagFrame(frame)->payload);
                last = next.step;
                if (next.step == Step::Send)
                    sent.append(next.payload);
            }
            QCOMPARE(last, Step::Done);
            QCOMPARE(sent, expectedRequests);
            QCOMPARE(lister.entries(),
                     (QList<DirEntry>{DirEntry::folder(QStringLiteral("game"), kDate), DirEntry::folder(QStringLiteral("zz"), kDate),
                                      DirEntry::file(QStringLiteral("a.mod"), QStringLiteral("1234"), kDate)}));
            QCOMPARE(lister.entries().first().caption(), QStringLiteral("[game]"));
            QCOMPARE(lister.entries().first().sizeText, QStringLiteral("  <DIR>"));
        }
    }

    void missingFolderEndsTheListing()
    {
        BrewLister lister;
        QVERIFY(lister.start(QStringLiteral("nowhere/"), kDate).ok());
        QCOMPARE(lister.onReply(hex("590A08")).step, Step::NotFound);
    }

    void pathsEitherRequestCannotCarryAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("254 bytes") << QString(253, u'd') + u'/' << true;
        // The folders request drops the slash and would fit; the files request would not.
        QTest::newRow("255 bytes") << QString(254, u'd') + u'/' << false;
        QTest::newRow("255 bytes without slash") << QString(255, u'd') << false;
    }
    void pathsEitherRequestCannotCarryAreRefused()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        BrewLister lister;
        const auto first = lister.start(path, kDate);
        QCOMPARE(first.ok(), accepted);
        const Next next = lister.onReply(hex("590A1C"));
        if (accepted) {
            QCOMPARE(next.step, Step::Send);
            QCOMPARE(next.payload, listRequest(0x0B, 0, char(path.size() + 1) + path.toLatin1() + hex("00")));
        } else {
            QVERIFY2(first.error().contains(QStringLiteral("too long")), qPrintable(first.error()));
            QCOMPARE(next.step, Step::Malformed);  // a lister that was refused sends nothing
        }
    }

    void noiseIsIgnored()
    {
        BrewLister lister;
        QVERIFY(lister.start(QString(), kDate).ok());
        QCOMPARE(lister.onReply(hex("290100")).step, Step::Ignored);
        QCOMPARE(lister.onReply(hex("590B1C")).step, Step::Ignored);  // no files asked for yet
        QCOMPARE(lister.onReply(entryReply(0x0B, 0, 1, "x")).step, Step::Ignored);
        QCOMPARE(lister.onReply(entryReply(0x0A, 0, 0, {}).first(20)).step, Step::Malformed);
    }

    void longListingsCountOnInTwoBytes()
    {
        BrewLister lister;
        QVERIFY(lister.start(QString(), kDate).ok());
        const QByteArray root = hex("022F00");
        QList<QByteArray> sent;
        for (int i = 0; i < 300; ++i) {
            const auto next = lister.onReply(entryReply(0x0A, quint8(i), 0, "d" + QByteArray::number(i)));
            QCOMPARE(next.step, Step::Send);
            sent.append(next.payload);
        }
        // Entry 126 is asked for as 126 (its escaped frame carries it), then 127, 128 ...
        QCOMPARE(sent[125], listRequest(0x0A, 126, root));
        QCOMPARE(sent[126], listRequest(0x0A, 127, root));
        QCOMPARE(vandrel::diag::encodeDiagFrame(sent[125]).mid(2, 2), hex("7D5E"));
        QCOMPARE(sent[254], listRequest(0x0A, 255, root));
        QCOMPARE(sent[255], listRequest(0x0A, 256, root));
        QCOMPARE(sent[299], listRequest(0x0A, 300, root));
        QCOMPARE(lister.entries().size(), 300);
        QCOMPARE(lister.entries()[126].name, QStringLiteral("d126"));
    }

    void aPhoneThatRepeatsItselfCannotLoopForEver()
    {
        BrewLister lister;
        QVERIFY(lister.start(QString(), kDate).ok());
        Step step = Step::Send;
        int rounds = 0;
        while (step == Step::Send && rounds < 70000) {
            step = lister.onReply(entryReply(0x0A, 0, 0, "same")).step;
            ++rounds;
        }
        QCOMPARE(step, Step::Malformed);
    }
};

VANDREL_TEST(BrewListingTest)
#include "tst_brew_listing.moc"
