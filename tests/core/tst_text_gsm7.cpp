#include "common/testmain.h"

#include <core/text/gsm7.h>
#include <core/text/ucs2.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::text;

class Gsm7Test : public QObject {
    Q_OBJECT
private slots:
    void septets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("septets");
        QTest::newRow("at dollar underscore") << QStringLiteral("@$_") << QByteArray("\x00\x02\x11", 3);
        QTest::newRow("letters and digits") << QStringLiteral("Az09") << QByteArray("Az09");
        QTest::newRow("euro brace") << QStringLiteral("€{") << QByteArray("\x1B\x65\x1B\x28");
        QTest::newRow("all extension")
            << QStringLiteral("\f^{}\\[~]|€")
            << QByteArray("\x1B\x0A\x1B\x14\x1B\x28\x1B\x29\x1B\x2F\x1B\x3C\x1B\x3D\x1B\x3E\x1B\x40\x1B\x65");
        QTest::newRow("accented") << QStringLiteral("éìàÇÉäöüñ¿¡§")
                                  << QByteArray("\x05\x07\x7F\x09\x1F\x7B\x7C\x7E\x7D\x60\x40\x5F");
        QTest::newRow("greek") << QStringLiteral("ΔΦΓΛΩΠΨΣΘΞ") << QByteArray("\x10\x12\x13\x14\x15\x16\x17\x18\x19\x1A");
        QTest::newRow("line ends") << QStringLiteral("a\nb\rc") << QByteArray("a\nb\rc");
        QTest::newRow("currency") << QStringLiteral("£¥¤") << QByteArray("\x01\x03\x24");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void septets()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, septets);
        const auto encoded = toGsm7(text);
        QVERIFY(encoded.has_value());
        QCOMPARE(*encoded, septets);
        QCOMPARE(gsm7Length(text), septets.size());
        QCOMPARE(fromGsm7(septets), text);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("badIndex");
        QTest::newRow("czech c caron") << QStringLiteral("Ahoj č") << 5;
        QTest::newRow("backtick") << QStringLiteral("`") << 0;
        QTest::newRow("chinese") << QStringLiteral("x中") << 1;
        QTest::newRow("nbsp placeholder of escape") << QStringLiteral("\u00A0") << 0;
    }
    void refused()
    {
        QFETCH(QString, text);
        QFETCH(int, badIndex);
        qsizetype at = -1;
        QVERIFY(!toGsm7(text, &at).has_value());
        QCOMPARE(at, qsizetype(badIndex));
        QCOMPARE(gsm7Length(text), qsizetype(-1));
    }

    void oddEscapes_data()
    {
        QTest::addColumn<QByteArray>("septets");
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown extension code reads from the default table") << QByteArray("\x1B\x41") << QStringLiteral("A");
        QTest::newRow("lone escape at the end") << QByteArray("a\x1B") << QStringLiteral("a ");
        QTest::newRow("high bit ignored") << QByteArray("\xC1") << QStringLiteral("A");
    }
    void oddEscapes()
    {
        QFETCH(QByteArray, septets);
        QFETCH(QString, text);
        QCOMPARE(fromGsm7(septets), text);
    }

    void everyTextCharacterRoundTrips()
    {
        QByteArray all;
        for (int i = 0; i < 128; ++i)
            if (i != 0x1B)
                all.append(char(i));
        const QString text = fromGsm7(all);
        QCOMPARE(text.size(), all.size());
        QCOMPARE(*toGsm7(text), all);
    }
};

class Ucs2Test : public QObject {
    Q_OBJECT
private slots:
    void hex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hex");
        QTest::newRow("ahoj c caron") << QStringLiteral("Ahoj č") << QStringLiteral("00410068006F006A0020010D");
        QTest::newRow("czech capitals") << QStringLiteral("ŠŤŽÁČÉĚÍĎŇÓŘŮÚÝ")
                                        << QStringLiteral("01600164017D00C1010C00C9011A00CD010E014700D30158016E00DA00DD");
        QTest::newRow("czech small") << QStringLiteral("šťžáčéěíďňóřůúý")
                                     << QStringLiteral("01610165017E00E1010D00E9011B00ED010F014800F30159016F00FA00FD");
        QTest::newRow("other codes keep their value") << QStringLiteral("中ńŕśź")
                                                      << QStringLiteral("4E2D01440155015B017A");
        QTest::newRow("empty") << QString() << QString();
    }
    void hex()
    {
        QFETCH(QString, text);
        QFETCH(QString, hex);
        QCOMPARE(UnicodeHexFromText(text), hex);
        QCOMPARE(TextFromUnicodeHex(hex), std::optional<QString>(text));
        QCOMPARE(TextFromUnicodeHex(hex.toLower()), std::optional<QString>(text));
    }

    void badHex_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::newRow("three digits") << QStringLiteral("004");
        QTest::newRow("five digits") << QStringLiteral("00410");
        QTest::newRow("not hex") << QStringLiteral("00G1");
        QTest::newRow("sign") << QStringLiteral("+041");
        QTest::newRow("blank") << QStringLiteral(" 041");
    }
    void badHex()
    {
        QFETCH(QString, hex);
        QVERIFY(!TextFromUnicodeHex(hex).has_value());
    }

    void bytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("little");
        QTest::newRow("C caron") << QStringLiteral("Č") << QByteArray("\x0C\x01");
        QTest::newRow("ascii") << QStringLiteral("Ab") << QByteArray("A\0b\0", 4);
        QTest::newRow("chinese") << QStringLiteral("中") << QByteArray("\x2D\x4E");
    }
    void bytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, little);
        QCOMPARE(toUcs2(text, Endian::Little), little);
        QByteArray big = little;
        for (qsizetype i = 0; i + 1 < big.size(); i += 2)
            std::swap(big[i], big[i + 1]);
        QCOMPARE(toUcs2(text, Endian::Big), big);
        QCOMPARE(fromUcs2(little, Endian::Little), text);
        QCOMPARE(fromUcs2(big, Endian::Big), text);
    }

    void oddLastByte()
    {
        QCOMPARE(fromUcs2(QByteArray("A\0B", 3), Endian::Little), QStringLiteral("AB"));
    }

    void randomBytesSurvive()
    {
        QRandomGenerator rng(7);
        for (int round = 0; round < 200; ++round) {
            QByteArray b(rng.bounded(0, 40) * 2, '\0');
            for (auto &c : b)
                c = char(rng.bounded(256));
            QCOMPARE(toUcs2(fromUcs2(b, Endian::Little), Endian::Little), b);
        }
    }
};

VANDREL_TEST(Gsm7Test)
VANDREL_TEST(Ucs2Test)
#include "tst_text_gsm7.moc"
