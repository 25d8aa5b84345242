#include "common/testmain.h"

#include <link/settingsstore.h>

#include <QFile>
#include <QTest>

using namespace vandrel::link;
using namespace vandrel::settings;

class SettingsStoreTest : public QObject {
    Q_OBJECT
private:
    QString iniPath() const { return vtest::home() + QStringLiteral("/settings.ini"); }

private slots:
    void init() { QFile::remove(iniPath()); }

    void storedAsTextReadsBack()
    {
        SettingsStore store;
        AppSettings s = AppSettings::defaults();
        s.portName = QStringLiteral("/dev/pts/7");
        s.speed = 256000;
        s.speed2 = 115200;
        s.language = QStringLiteral("CZ");
        s.minimalize = true;
        s.log = false;
        s.editFile = QStringLiteral("gedit");
        QVERIFY(store.saveAfterSettingsWindow(s));
        s.cesta = QStringLiteral("/tmp/ěšč");
        s.statusreport = true;
        QVERIFY(store.saveClosingSettings(s));

        const AppSettings back = SettingsStore().load();
        QCOMPARE(back, s);
        QVERIFY(QFile::exists(iniPath()));
    }

    void closingDoesNotCreateTheKey()
    {
        SettingsStore store;
        QVERIFY(!store.saveClosingSettings(AppSettings::defaults()));
        QVERIFY(SettingsStore().backend().allKeys().isEmpty());
    }

    void textInNumberStopsReading()
    {
        {
            QFile f(iniPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[General]\nrychlost=fast\njazyk=DE\nlog=false\n");
        }
        const AppSettings s = SettingsStore().load();
        QCOMPARE(s.speed, 14400);
        QCOMPARE(s.language, QStringLiteral("EN"));
        QVERIFY(s.log);
    }
};

VANDREL_TEST(SettingsStoreTest)
#include "tst_settingsstore.moc"
