#include "common/testmain.h"
#include "tst_codec_feed.h"

#include <core/obex/listing.h>
#include <core/obex/replies.h>

#include <QTest>

using namespace vandrel::obex;
using vandrel::explorer::DirEntry;
using namespace feedtest;

namespace {
const QByteArray kHead = QByteArrayLiteral(
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE folder-listing SYSTEM \"obex-folder-listing.dtd\">\n"
    "<folder-listing version=\"1.0\">\n");
const QByteArray kTail = QByteArrayLiteral("</folder-listing>\n");

QByteArray listing(const QByteArray &body) { return kHead + body + kTail; }

// The listing as the phone sends it: Body packets of at most `chunk` bytes, the last End-of-Body.
QByteArray asPackets(const QByteArray &xml, qsizetype chunk)
{
    QByteArray stream;
    for (qsizetype at = 0; at < xml.size(); at += chunk) {
        const QByteArray part = xml.mid(at, chunk);
        const bool last = at + chunk >= xml.size();
        QByteArray p;
        p.append(char(last ? 0xA0 : 0x90));
        const qsizetype length = 3 + 5 + 3 + part.size();
        p.append(char(length >> 8));
        p.append(char(length));
        p.append(QByteArray::fromHex("CB024E804C"));
        p.append(char(last ? 0x49 : 0x48));
        p.append(char((part.size() + 3) >> 8));
        p.append(char(part.size() + 3));
        p.append(part);
        stream += p;
    }
    return stream;
}
} // namespace

Q_DECLARE_METATYPE(QList<DirEntry>)

class ObexListingTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QList<DirEntry>>("rows");
        QTest::addColumn<bool>("lenient");

        QTest::newRow("folders and files") << listing(
            "<file name=\"b.jpg\" size=\"1234\" modified=\"20050307T090501\" user-perm=\"RWD\"/>\n"
            "<folder name=\"photos\" modified=\"20041224T180000\"/>\n"
            "<file name=\"a.txt\" size=\"0\" modified=\"20051217T190501Z\"/>\n"
            "<folder name=\"music\"/>\n")
            << QList<DirEntry>{DirEntry::folder(QStringLiteral("photos"), QStringLiteral("24.12.2004 18:00:00")),
                               DirEntry::folder(QStringLiteral("music")),
                               DirEntry::file(QStringLiteral("b.jpg"), QStringLiteral("1234"), QStringLiteral("07.03.2005 09:05:01")),
                               DirEntry::file(QStringLiteral("a.txt"), QStringLiteral("0"), QStringLiteral("17.12.2005 19:05:01"))}
            << false;
        QTest::newRow("empty folder") << listing({}) << QList<DirEntry>{} << false;
        QTest::newRow("parent-folder element is no row") << listing("<parent-folder/>\n<folder name=\"x\"/>")
                                                         << QList<DirEntry>{DirEntry::folder(QStringLiteral("x"))} << false;
        // Without a size the size stays empty, and the date is never the next entry's.
        QTest::newRow("missing size and date")
            << listing("<file name=\"nosize.txt\"/>\n<file name=\"next.txt\" size=\"5\" modified=\"20050307T090501\"/>\n")
            << QList<DirEntry>{DirEntry::file(QStringLiteral("nosize.txt"), QString()),
                               DirEntry::file(QStringLiteral("next.txt"), QStringLiteral("5"), QStringLiteral("07.03.2005 09:05:01"))}
            << false;
        QTest::newRow("entities and UTF-8")
            << listing("<file name=\"Tom &amp; Jerry &#x10D;&#269;.txt\" size=\"1\"/><folder name=\"Fotky \xC4\x8D\x65sky\"/>")
            << QList<DirEntry>{DirEntry::folder(QStringLiteral("Fotky česky")),
                               DirEntry::file(QStringLiteral("Tom & Jerry čč.txt"), QStringLiteral("1"))}
            << false;
        QTest::newRow("NUL bytes after the closing tag")
            << listing("<file name=\"a\" size=\"1\"/>") + QByteArray(7, '\0')
            << QList<DirEntry>{DirEntry::file(QStringLiteral("a"), QStringLiteral("1"))} << false;
        QTest::newRow("junk after the closing tag")
            << listing("<file name=\"a\" size=\"1\"/>") + QByteArray("\x01\x02<x")
            << QList<DirEntry>{DirEntry::file(QStringLiteral("a"), QStringLiteral("1"))} << false;
        QTest::newRow("bare ampersand")
            << listing("<folder name=\"Rock & Roll\"/>\n<file name=\"A&amp;B &#x10D;.mp3\" size=\"77\" modified=\"20050307T090501\"/>\n"
                       "<file name='single.txt' size='3'/>")
            << QList<DirEntry>{DirEntry::folder(QStringLiteral("Rock & Roll")),
                               DirEntry::file(QStringLiteral("A&B č.mp3"), QStringLiteral("77"), QStringLiteral("07.03.2005 09:05:01")),
                               DirEntry::file(QStringLiteral("single.txt"), QStringLiteral("3"))}
            << true;
        QTest::newRow("lenient, missing size and a tag with > in a name")
            << listing("<file name=\"a>b & c\" modified=\"20050307T090501\"/><file name=\"d\" size=\"9\"/>")
            << QList<DirEntry>{DirEntry::file(QStringLiteral("a>b & c"), QString(), QStringLiteral("07.03.2005 09:05:01")),
                               DirEntry::file(QStringLiteral("d"), QStringLiteral("9"))}
            << true;
        QTest::newRow("cp1250 names") << listing("<file name=\"\x9Eluv\xEC.txt\" size=\"2\"/>")
                                      << QList<DirEntry>{DirEntry::file(QStringLiteral("žluvě.txt"), QStringLiteral("2"))} << false;
        QTest::newRow("names that cannot be rows") << listing("<folder name=\"\"/><folder name=\"..\"/><file name=\".\"/><folder name=\"ok\"/>")
                                                   << QList<DirEntry>{DirEntry::folder(QStringLiteral("ok"))} << false;
        QTest::newRow("odd size and date are left empty")
            << listing("<file name=\"a\" size=\"12k\" modified=\"yesterday\"/>")
            << QList<DirEntry>{DirEntry::file(QStringLiteral("a"), QString())} << false;
    }
    void parse()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QList<DirEntry>, rows);
        QFETCH(bool, lenient);
        // The text reaches the parser through the packet framer, however the bytes were split.
        const QByteArray stream = asPackets(xml, 40);
        const QByteArray trailing = QByteArray::fromHex("A000");
        for (const Split split : allSplits()) {
            const Fed fed = feed(obexPacketLength, stream, split, trailing);
            QByteArray text;
            for (const QByteArray &packet : fed.items)
                text += parsePacket(packet)->body();
            QCOMPARE(text, xml);
            QCOMPARE(fed.pending, split == Split::Trailing ? trailing : QByteArray());
            const auto parsed = parseFolderListing(text);
            QVERIFY2(parsed.ok(), qPrintable(parsed.error()));
            QCOMPARE(parsed->entries, rows);
            QCOMPARE(parsed->lenient, lenient);
        }
    }

    void captionsAndColumns()
    {
        const auto parsed = parseFolderListing(listing("<folder name=\"photos\"/><file name=\"a.txt\" size=\"12\"/>"));
        QCOMPARE(parsed->entries.at(0).caption(), QStringLiteral("[photos]"));
        QCOMPARE(parsed->entries.at(0).sizeText, QStringLiteral("  <DIR>"));
        QCOMPARE(parsed->entries.at(1).caption(), QStringLiteral("a.txt"));
    }

    void refusesWhatIsNoListing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("AT reply") << QByteArray("\r\nOK\r\n");
        QTest::newRow("other XML") << QByteArray("<html><body/></html>");
    }
    void refusesWhatIsNoListing()
    {
        QFETCH(QByteArray, text);
        const auto parsed = parseFolderListing(text);
        QVERIFY(!parsed.ok());
        QVERIFY(!parsed.error().isEmpty());
    }

    void truncatedAndRandomInputNeverBreaksIt()
    {
        const QByteArray xml = listing("<folder name=\"a &amp; b\"/><file name=\"c\" size=\"1\" modified=\"20050307T090501\"/>");
        for (qsizetype n = 0; n <= xml.size(); ++n)
            (void)parseFolderListing(xml.first(n));
        QRandomGenerator rng(99);
        for (int round = 0; round < 300; ++round) {
            QByteArray junk = xml;
            for (int k = 0; k < 5; ++k)
                junk[rng.bounded(junk.size())] = char(rng.bounded(256));
            (void)parseFolderListing(junk);
            (void)parseFolderListing(randomBytes(rng, rng.bounded(200)) + "folder-listing<file name=\"");
        }
    }
};

VANDREL_TEST(ObexListingTest)
#include "tst_obex_listing.moc"
