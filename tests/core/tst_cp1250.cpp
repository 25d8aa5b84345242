#include "common/testmain.h"

#include <core/text/cp1250.h>

#include <QTest>

using namespace vandrel::text;

class Cp1250Test : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("Hello, 123") << QByteArray("Hello, 123");
        QTest::newRow("czech lower") << QStringLiteral("ěščřžýáíéůúňťď")
                                     << QByteArray("\xEC\x9A\xE8\xF8\x9E\xFD\xE1\xED\xE9\xF9\xFA\xF2\x9D\xEF");
        QTest::newRow("czech upper") << QStringLiteral("ĚŠČŘŽÝÁÍÉŮÚŇŤĎ")
                                     << QByteArray("\xCC\x8A\xC8\xD8\x8E\xDD\xC1\xCD\xC9\xD9\xDA\xD2\x8D\xCF");
        QTest::newRow("euro and quotes") << QStringLiteral("€„“”–") << QByteArray("\x80\x84\x93\x94\x96");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(fromCp1250(bytes), text);
        const auto encoded = toCp1250(text);
        QVERIFY(encoded.has_value());
        QCOMPARE(*encoded, bytes);
    }

    void everyByteSurvives()
    {
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        const auto back = toCp1250(fromCp1250(all));
        QVERIFY(back.has_value());
        QCOMPARE(*back, all);
    }

    void refusesWhatItCannotCarry_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("badIndex");
        QTest::newRow("chinese") << QStringLiteral("ab中") << 2;
        QTest::newRow("cyrillic") << QStringLiteral("Жx") << 0;
        QTest::newRow("emoji") << QStringLiteral("a\U0001F600") << 1;
    }
    void refusesWhatItCannotCarry()
    {
        QFETCH(QString, text);
        QFETCH(int, badIndex);
        qsizetype at = -1;
        QVERIFY(!toCp1250(text, &at).has_value());
        QCOMPARE(at, qsizetype(badIndex));
        QVERIFY(!cp1250CanEncode(text));
    }
};

VANDREL_TEST(Cp1250Test)
#include "tst_cp1250.moc"
