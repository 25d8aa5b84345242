#include "common/testmain.h"

#include <core/settings/appsettings.h>

#include <QTest>

using namespace vandrel::settings;

namespace {
class MapSource final : public SettingsSource {
public:
    explicit MapSource(QVariantMap values, bool exists = true) : m_values(std::move(values)), m_exists(exists) {}
    bool keyExists() const override { return m_exists; }
    std::optional<QVariant> value(const QString &name) const override
    {
        if (!m_values.contains(name))
            return std::nullopt;
        return m_values.value(name);
    }

private:
    QVariantMap m_values;
    bool m_exists;
};
} // namespace

class AppSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunWithoutKey()
    {
        const AppSettings s = loadSettings(MapSource({}, false));
        QCOMPARE(s.language, QStringLiteral("EN"));
        QCOMPARE(s.speed, 14400);
        QCOMPARE(s.speed2, 9600);
        QVERIFY(s.log);
        QVERIFY(s.BrewDirWarning);
        QCOMPARE(s.editFile, AppSettings::defaults().editFile);
        QVERIFY(!s.readSMS && !s.minimalize && !s.ikony && !s.DCOneFile);
    }

    void everyValueRead()
    {
        const QVariantMap stored{
            {key::portName, QStringLiteral("/dev/ttyUSB3")}, {key::speed, QStringLiteral("115200")},
            {key::language, QStringLiteral("CZ")},           {key::portName2, QStringLiteral("/dev/ttyUSB4")},
            {key::speed2, QStringLiteral("256000")},         {key::readSMS, QStringLiteral("true")},
            {key::minimalize, true},                         {key::log, QStringLiteral("false")},
            {key::DCOneFile, QStringLiteral("1")},           {key::ikony, QStringLiteral("true")},
            {key::cesta, QStringLiteral("/home/jana/Fotky")}, {key::BrewDirWarning, QStringLiteral("false")},
            {key::editFile, QStringLiteral("kate")},         {key::statusreport, QStringLiteral("true")},
        };
        const AppSettings s = loadSettings(MapSource(stored));
        QCOMPARE(s.portName, QStringLiteral("/dev/ttyUSB3"));
        QCOMPARE(s.speed, 115200);
        QCOMPARE(s.language, QStringLiteral("CZ"));
        QCOMPARE(s.portName2, QStringLiteral("/dev/ttyUSB4"));
        QCOMPARE(s.speed2, 256000);
        QVERIFY(s.readSMS && s.minimalize && !s.log && s.DCOneFile && s.ikony && !s.BrewDirWarning && s.statusreport);
        QCOMPARE(s.cesta, QStringLiteral("/home/jana/Fotky"));
        QCOMPARE(s.editFile, QStringLiteral("kate"));
    }

    // A value present but not of its type stops the reading there: what came before stays,
    // what follows keeps its default, and three values are set to theirs.
    void unreadableValueStopsReading_data()
    {
        QTest::addColumn<QString>("badKey");
        QTest::addColumn<QString>("expectedLanguage");
        QTest::addColumn<bool>("expectedReadSMS");
        QTest::newRow("rychlost") << key::speed << QStringLiteral("EN") << false;
        QTest::newRow("readSMS") << key::readSMS << QStringLiteral("DE") << false;
        QTest::newRow("ikony") << key::ikony << QStringLiteral("DE") << true;
    }
    void unreadableValueStopsReading()
    {
        QFETCH(QString, badKey);
        QFETCH(QString, expectedLanguage);
        QFETCH(bool, expectedReadSMS);
        QVariantMap stored{
            {key::portName, QStringLiteral("/dev/ttyUSB3")}, {key::speed, 115200},
            {key::language, QStringLiteral("DE")},           {key::readSMS, true},
            {key::log, false},                               {key::ikony, true},
            {key::BrewDirWarning, false},                    {key::editFile, QStringLiteral("kate")},
            {key::statusreport, true},
        };
        stored[badKey] = QStringLiteral("fast");
        const AppSettings s = loadSettings(MapSource(stored));
        QCOMPARE(s.portName, QStringLiteral("/dev/ttyUSB3"));
        QCOMPARE(s.language, expectedLanguage);
        QCOMPARE(s.readSMS, expectedReadSMS);
        QVERIFY(s.log);
        QVERIFY(s.BrewDirWarning);
        QCOMPARE(s.editFile, AppSettings::defaults().editFile);
        QVERIFY(!s.statusreport);
    }

    void speeds_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("14400") << QVariant(14400) << 14400 << QStringLiteral(" & 14400 Bd");
        QTest::newRow("128000 text") << QVariant(QStringLiteral("128000")) << 128000 << QStringLiteral(" & 128000 Bd");
        QTest::newRow("unknown") << QVariant(57600) << 14400 << QStringLiteral(" & 14400 Bd");
        QTest::newRow("zero") << QVariant(0) << 14400 << QStringLiteral(" & 14400 Bd");
    }
    void speeds()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, speed);
        QFETCH(QString, suffix);
        const AppSettings s = loadSettings(MapSource({{key::speed, stored}, {key::speed2, stored}}));
        QCOMPARE(s.speed, speed);
        QCOMPARE(s.speed2, speed);
        QCOMPARE(speedSuffix(s.speed), suffix);
    }

    void noSpeedTextForOthers()
    {
        QCOMPARE(speedSuffix(9600), QString());
        QCOMPARE(speedLabel(256000), QStringLiteral("256000 Bd"));
    }

    void emptyEditorMeansPlatformEditor()
    {
        const AppSettings s = loadSettings(MapSource({{key::editFile, QString()}}));
        QCOMPARE(s.editFile, AppSettings::defaults().editFile);
    }

    void writtenValuesInOrder()
    {
        AppSettings s = AppSettings::defaults();
        QStringList names;
        for (const auto &v : valuesAfterSettingsWindow(s))
            names << v.first;
        QCOMPARE(names, (QStringList{key::portName, key::portName2, key::speed, key::speed2, key::language,
                                     key::readSMS, key::readStatus, key::minimalize, key::log, key::DCOneFile,
                                     key::ikony, key::BrewDirWarning, key::editFile}));
        names.clear();
        for (const auto &v : valuesAtClose(s))
            names << v.first;
        QCOMPARE(names, (QStringList{key::cesta, key::statusreport}));
    }
};

VANDREL_TEST(AppSettingsTest)
#include "tst_appsettings.moc"
