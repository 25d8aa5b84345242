#include "common/testmain.h"

#include <core/settings/appsettings.h>
#include <channel/fakeserialchannel.h>
#include <link/phonelink.h>
#include <ui/mainwindow.h>
#include <core/settings/shortcuts.h>
#include <ui/settingswindow.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

using namespace vandrel;
using vandrel::settings::Msg;
using ui::MainWindow;
using ui::SettingsWindow;

namespace {

QString homeFile(const char *name) { return QDir(vtest::home()).filePath(QString::fromLatin1(name)); }

void writeHomeFile(const char *name, const QByteArray &contents)
{
    QFile f(homeFile(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

struct Window {
    channel::FakeSerialChannel *modem = new channel::FakeSerialChannel;
    channel::FakeSerialChannel *diag = new channel::FakeSerialChannel;
    MainWindow main{std::make_unique<link::PhoneLink>(modem, diag)};
    Window() { main.create(); }
};

QStringList actionShortcuts(const MainWindow &w)
{
    QStringList keys;
    for (const QString &name : settings::shortcutActionNames())
        keys << w.action(name)->shortcut().toString(QKeySequence::PortableText);
    return keys;
}

template<typename T>
T *child(QWidget *parent, const char *name)
{
    T *w = parent->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qWarning("no child %s", name);
    return w;
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(homeFile("settings.ini"));
        QFile::remove(homeFile("short.vdl"));
    }

    void portNameRule_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("windowsRule");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("COM12") << QStringLiteral("COM12") << true << true;
        QTest::newRow("six characters") << QStringLiteral("COM123") << true << true;
        QTest::newRow("seven characters") << QStringLiteral("COM1234") << true << false;
        QTest::newRow("untouched COM") << QStringLiteral("COM") << true << false;
        QTest::newRow("lower case") << QStringLiteral("com5") << true << false;
        QTest::newRow("no COM") << QStringLiteral("LPT1") << true << false;
        QTest::newRow("COM inside") << QStringLiteral("XCOM1") << true << true;
        QTest::newRow("empty on Windows") << QString() << true << false;
        QTest::newRow("device path") << QStringLiteral("/dev/ttyUSB0") << false << true;
        QTest::newRow("bare device name") << QStringLiteral("ttyACM3") << false << true;
        QTest::newRow("long path") << QStringLiteral("/dev/serial/by-id/usb-Phone_Modem-if00") << false << true;
        QTest::newRow("untouched /dev/") << QStringLiteral("/dev/") << false << false;
        QTest::newRow("folder") << QStringLiteral("/dev/pts/") << false << false;
        QTest::newRow("blank inside") << QStringLiteral("/dev/tty S0") << false << false;
        QTest::newRow("line feed") << QStringLiteral("/dev/ttyS0\n") << false << false;
        QTest::newRow("empty elsewhere") << QString() << false << false;
    }
    void portNameRule()
    {
        QFETCH(QString, answer);
        QFETCH(bool, windowsRule);
        QFETCH(bool, accepted);
        QCOMPARE(SettingsWindow::acceptPortName(answer, windowsRule), accepted);
    }

    void portNameBox_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<bool>("added");
#ifdef Q_OS_WIN
        QTest::newRow("COM12") << QStringLiteral("COM12") << true << true;
        QTest::newRow("COM only") << QStringLiteral("COM") << true << false;
        QTest::newRow("too long") << QStringLiteral("COM1234") << true << false;
        QTest::newRow("cancelled") << QStringLiteral("COM12") << false << false;
#else
        QTest::newRow("device path") << QStringLiteral("/dev/ttyUSB9") << true << true;
        QTest::newRow("untouched") << QStringLiteral("/dev/") << true << false;
        QTest::newRow("cancelled") << QStringLiteral("/dev/ttyUSB9") << false << false;
#endif
    }
    void portNameBox()
    {
        QFETCH(QString, answer);
        QFETCH(bool, confirmed);
        QFETCH(bool, added);
        Window w;
        SettingsWindow *dialog = ui::showSettings(w.main);
        auto *list = child<QComboBox>(dialog, "cPortu2");
        const QString before = list->currentText();
        const int count = list->count();
        child<QPushButton>(dialog, "bPortu2")->click();
        auto *input = child<QInputDialog>(dialog, "PortNameInput");
        QVERIFY(input);
        QCOMPARE(input->windowTitle(), QStringLiteral("Vandrel Controller"));
        QCOMPARE(input->labelText(), w.main.message(Msg::PortNamePrompt));
#ifdef Q_OS_WIN
        const bool windowsRule = true;
#else
        const bool windowsRule = false;
#endif
        QCOMPARE(input->textValue(), SettingsWindow::initialPortText(windowsRule));
        input->setTextValue(answer);
        confirmed ? input->accept() : input->reject();
        QCOMPARE(list->count(), count + (added ? 1 : 0));
        QCOMPARE(list->currentText(), added ? answer : before);
        dialog->reject();
    }

    void speedListOpensOnCurrentSpeed_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("index");
        QTest::newRow("14400") << 14400 << 0;
        QTest::newRow("115200") << 115200 << 1;
        QTest::newRow("128000") << 128000 << 2;
        QTest::newRow("256000") << 256000 << 3;
        QTest::newRow("built-in 9600") << 9600 << 0;
    }
    void speedListOpensOnCurrentSpeed()
    {
        QFETCH(int, speed);
        QFETCH(int, index);
        Window w;
        w.main.appSettings().speed = speed;
        w.main.appSettings().speed2 = speed;
        SettingsWindow dialog(w.main);
        QCOMPARE(child<QComboBox>(&dialog, "Rychlost")->currentIndex(), index);
        QCOMPARE(child<QComboBox>(&dialog, "rychlost2")->currentIndex(), index);
        QCOMPARE(child<QComboBox>(&dialog, "Rychlost")->itemText(3), QStringLiteral("256000 Bd"));
    }

    void windowOpensOnStoredValues()
    {
        Window w;
        settings::AppSettings &s = w.main.appSettings();
        s.portName = QStringLiteral("/dev/ttyStored0");
        s.readSMS = true;
        s.editFile = QStringLiteral("/usr/bin/kate");
        s.BrewDirWarning = false;
        s.language = QStringLiteral("SK");
        s.DCOneFile = true;
        SettingsWindow dialog(w.main);
        QCOMPARE(child<QComboBox>(&dialog, "cPortu")->currentText(), s.portName);
        QVERIFY(child<QCheckBox>(&dialog, "CheckSMS")->isChecked());
        QCOMPARE(child<QLineEdit>(&dialog, "LabeledEdit1")->text(), s.editFile);
        QVERIFY(!child<QCheckBox>(&dialog, "CheckBox5")->isChecked());
        QVERIFY(child<QCheckBox>(&dialog, "CheckBox3")->isChecked());
        QVERIFY(child<QCheckBox>(&dialog, "CheckBox2")->isChecked());
        // An unknown stored language opens on "English".
        QCOMPARE(child<QComboBox>(&dialog, "cbJazyk")->currentText(), QStringLiteral("English"));
        // Without a tray the check box says why it has no effect.
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("TrayNote")) != nullptr,
                 !QSystemTrayIcon::isSystemTrayAvailable());
        QCOMPARE(child<QComboBox>(&dialog, "cbPasmo")->count(), 25);
        QCOMPARE(child<QComboBox>(&dialog, "cbPasmo")->itemText(0), QStringLiteral("GMT -12:00"));
        QCOMPARE(child<QComboBox>(&dialog, "cbPasmo")->itemText(12), QStringLiteral("GMT"));
        QCOMPARE(child<QComboBox>(&dialog, "cbPasmo")->itemText(24), QStringLiteral("GMT +12:00"));
    }

    void connectedPortIsLocked_data()
    {
        QTest::addColumn<bool>("modemOpen");
        QTest::newRow("disconnected") << false;
        QTest::newRow("connected") << true;
    }
    void connectedPortIsLocked()
    {
        QFETCH(bool, modemOpen);
        Window w;
        if (modemOpen)
            QVERIFY(!w.modem->open());
        SettingsWindow dialog(w.main);
        for (const char *name : {"cPortu", "Rychlost", "bPortu"})
            QCOMPARE(child<QWidget>(&dialog, name)->isEnabled(), !modemOpen);
        for (const char *name : {"cPortu2", "rychlost2", "bPortu2"})
            QVERIFY(child<QWidget>(&dialog, name)->isEnabled());
    }

    void okWritesAndAppliesToClosedPorts_data()
    {
        QTest::addColumn<bool>("modemOpen");
        QTest::addColumn<bool>("diagOpen");
        QTest::newRow("both closed") << false << false;
        QTest::newRow("modem connected") << true << false;
        QTest::newRow("diagnostic port open") << false << true;
        QTest::newRow("both open") << true << true;
    }
    void okWritesAndAppliesToClosedPorts()
    {
        QFETCH(bool, modemOpen);
        QFETCH(bool, diagOpen);
        Window w;
        if (modemOpen)
            QVERIFY(!w.modem->open());
        if (diagOpen)
            QVERIFY(!w.diag->open());
        const settings::AppSettings before = w.main.appSettings();
        const QString modemName = w.modem->portName();
        const int modemSpeed = w.modem->baudRate();
        const QString diagName = w.diag->portName();
        const int diagSpeed = w.diag->baudRate();

        SettingsWindow *dialog = ui::showSettings(w.main);
        child<QComboBox>(dialog, "cPortu")->setEditText(QStringLiteral("/dev/ttyNew0"));
        child<QComboBox>(dialog, "Rychlost")->setCurrentIndex(1);
        child<QComboBox>(dialog, "cPortu2")->setEditText(QStringLiteral("/dev/ttyNew1"));
        child<QComboBox>(dialog, "rychlost2")->setCurrentIndex(3);
        child<QCheckBox>(dialog, "CheckSMS")->setChecked(true);
        child<QCheckBox>(dialog, "CheckStatus")->setChecked(true);
        child<QLineEdit>(dialog, "LabeledEdit1")->setText(QStringLiteral("/usr/bin/kate"));
        child<QCheckBox>(dialog, "CheckBox5")->setChecked(false);
        child<QCheckBox>(dialog, "CheckBox4")->setChecked(true);
        child<QComboBox>(dialog, "cbJazyk")->setCurrentIndex(2);
        child<QCheckBox>(dialog, "CheckBox1")->setChecked(true);
        child<QCheckBox>(dialog, "CheckBox2")->setChecked(false);
        child<QCheckBox>(dialog, "CheckBox3")->setChecked(true);
        QSignalSpy applied(&w.main, &MainWindow::settingsApplied);
        child<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(applied.count(), 1);

        const QString port1 = modemOpen ? before.portName : QStringLiteral("/dev/ttyNew0");
        const int speed1 = modemOpen ? before.speed : 115200;
        QCOMPARE(w.modem->portName(), modemOpen ? modemName : port1);
        QCOMPARE(w.modem->baudRate(), modemOpen ? modemSpeed : speed1);
        // The second port's choice is kept for the installer; the open port itself is untouched.
        QCOMPARE(w.diag->portName(), diagOpen ? diagName : QStringLiteral("/dev/ttyNew1"));
        QCOMPARE(w.diag->baudRate(), diagOpen ? diagSpeed : 256000);

        const settings::AppSettings &s = w.main.appSettings();
        QCOMPARE(s.portName, port1);
        QCOMPARE(s.speed, speed1);
        QCOMPARE(s.portName2, QStringLiteral("/dev/ttyNew1"));
        QCOMPARE(s.speed2, 256000);
        QCOMPARE(s.language, QStringLiteral("DE"));
        QCOMPARE(s.cesta, before.cesta);
        QCOMPARE(s.statusreport, before.statusreport);

        QSettings ini(homeFile("settings.ini"), QSettings::IniFormat);
        QStringList keys = ini.allKeys();
        keys.sort();
        QStringList expected{settings::key::portName, settings::key::portName2, settings::key::speed,
                             settings::key::speed2,   settings::key::language,  settings::key::readSMS,
                             settings::key::readStatus, settings::key::minimalize, settings::key::log,
                             settings::key::DCOneFile, settings::key::ikony,    settings::key::BrewDirWarning,
                             settings::key::editFile};
        expected.sort();
        QCOMPARE(keys, expected);
        QCOMPARE(ini.value(settings::key::portName).toString(), port1);
        QCOMPARE(ini.value(settings::key::speed).toInt(), speed1);
        QCOMPARE(ini.value(settings::key::portName2).toString(), QStringLiteral("/dev/ttyNew1"));
        QCOMPARE(ini.value(settings::key::speed2).toInt(), 256000);
        QCOMPARE(ini.value(settings::key::language).toString(), QStringLiteral("DE"));
        QCOMPARE(ini.value(settings::key::readSMS).toBool(), true);
        QCOMPARE(ini.value(settings::key::readStatus).toBool(), true);
        QCOMPARE(ini.value(settings::key::minimalize).toBool(), true);
        QCOMPARE(ini.value(settings::key::log).toBool(), false);
        QCOMPARE(ini.value(settings::key::DCOneFile).toBool(), true);
        QCOMPARE(ini.value(settings::key::ikony).toBool(), true);
        QCOMPARE(ini.value(settings::key::BrewDirWarning).toBool(), false);
        QCOMPARE(ini.value(settings::key::editFile).toString(), QStringLiteral("/usr/bin/kate"));

        // What was written is what the next start reads.
        settings::AppSettings reread = w.main.settingsStore().load();
        reread.cesta = s.cesta;
        reread.statusreport = s.statusreport;
        QCOMPARE(reread.portName, s.portName);
        QCOMPARE(reread.editFile, s.editFile);
        QCOMPARE(reread.log, s.log);
    }

    void laterOkAppliesOncePortClosed()
    {
        Window w;
        QVERIFY(!w.diag->open());
        SettingsWindow *dialog = ui::showSettings(w.main);
        child<QComboBox>(dialog, "rychlost2")->setCurrentIndex(2);
        child<QPushButton>(dialog, "Button1")->click();
        QVERIFY(w.diag->baudRate() != 128000);
        w.diag->close();
        dialog = ui::showSettings(w.main);
        QCOMPARE(child<QComboBox>(dialog, "rychlost2")->currentIndex(), 2);
        child<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(w.diag->baudRate(), 128000);
    }

    void cancelChangesNothing()
    {
        Window w;
        const settings::AppSettings before = w.main.appSettings();
        const QStringList keys = actionShortcuts(w.main);
        SettingsWindow *dialog = ui::showSettings(w.main);
        child<QComboBox>(dialog, "cPortu2")->setEditText(QStringLiteral("/dev/ttyNew1"));
        child<QCheckBox>(dialog, "CheckBox2")->setChecked(!before.log);
        child<QKeySequenceEdit>(dialog, "HotKey3")->setKeySequence(QKeySequence(Qt::Key_F9));
        child<QPushButton>(dialog, "Button2")->click();
        QVERIFY(w.main.appSettings() == before);
        QCOMPARE(actionShortcuts(w.main), keys);
        QVERIFY(!QFile::exists(homeFile("settings.ini")));
        QVERIFY(!QFile::exists(homeFile("short.vdl")));
    }

    void iconBoxShowsNotice()
    {
        Window w;
        SettingsWindow dialog(w.main);
        auto *icons = child<QCheckBox>(&dialog, "CheckBox4");
        QVERIFY(!dialog.findChild<QMessageBox *>(QStringLiteral("InformationBox")));
        QTest::mouseClick(icons, Qt::LeftButton, {}, QPoint(5, icons->height() / 2));
        auto *box = dialog.findChild<QMessageBox *>(QStringLiteral("InformationBox"));
        QVERIFY(box);
        QVERIFY(!w.main.message(Msg::FileIconsNote).isEmpty());
        QCOMPARE(box->text(), w.main.message(Msg::FileIconsNote));
        QVERIFY(icons->isChecked());
    }

    void treeSelectsPages()
    {
        Window w;
        SettingsWindow dialog(w.main);
        auto *tree = child<QTreeWidget>(&dialog, "TreeView1");
        auto *pages = child<QStackedWidget>(&dialog, "SetPages");
        QCOMPARE(tree->topLevelItemCount(), 5);
        QCOMPARE(pages->currentIndex(), 0);
        for (int i : {3, 1, 4, 2, 0}) {
            tree->setCurrentItem(tree->topLevelItem(i));
            QCOMPARE(pages->currentIndex(), i);
        }
    }

    void shortcutFile_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("no file: built in") << false << QByteArray() << settings::builtInShortcuts();
        QTest::newRow("seven lines")
            << true << QByteArray("Ctrl+K\r\nF2\r\nF9\r\nShift+F6\r\nCtrl+N\r\nDel\r\nAlt+I\r\n")
            << QStringList{QStringLiteral("Ctrl+K"), QStringLiteral("F2"), QStringLiteral("F9"),
                           QStringLiteral("Shift+F6"), QStringLiteral("Ctrl+N"), QStringLiteral("Del"),
                           QStringLiteral("Alt+I")};
        QTest::newRow("three lines")
            << true << QByteArray("F2\r\nF3\r\nF10\r\n")
            << QStringList{QStringLiteral("F2"), QStringLiteral("F3"), QStringLiteral("F10"), QString(), QString(),
                           QString(), QString()};
        QTest::newRow("invalid lines")
            << true << QByteArray("Ctrl+T\r\nnonsense\r\nF5\r\nF6, F7\r\nCtrl+\r\nF8\r\nCtrl+I\r\n")
            << QStringList{QStringLiteral("Ctrl+T"), QString(), QStringLiteral("F5"), QString(), QString(),
                           QStringLiteral("F8"), QStringLiteral("Ctrl+I")};
        QTest::newRow("empty file") << true << QByteArray() << QStringList(7);
    }
    void shortcutFile()
    {
        QFETCH(bool, present);
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, keys);
        if (present)
            writeHomeFile("short.vdl", contents);
        Window w;
        QCOMPARE(actionShortcuts(w.main), keys);
        // The settings page shows what the menu items carry.
        SettingsWindow dialog(w.main);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(child<QKeySequenceEdit>(&dialog, qPrintable(QStringLiteral("HotKey%1").arg(i + 1)))
                         ->keySequence()
                         .toString(QKeySequence::PortableText),
                     keys.at(i));
    }

    void okWritesShortcuts()
    {
        Window w;
        SettingsWindow *dialog = ui::showSettings(w.main);
        child<QKeySequenceEdit>(dialog, "HotKey1")->clear();
        child<QKeySequenceEdit>(dialog, "HotKey3")->setKeySequence(QKeySequence(Qt::Key_F9));
        child<QKeySequenceEdit>(dialog, "HotKey7")->setKeySequence(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J));
        // A field holds one key: a second chord is dropped.
        child<QKeySequenceEdit>(dialog, "HotKey2")
            ->setKeySequence(QKeySequence::fromString(QStringLiteral("F2, F3"), QKeySequence::PortableText));
        child<QPushButton>(dialog, "Button1")->click();
        QFile f(homeFile("short.vdl"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\r\nF2\r\nF9\r\nF6\r\nF7\r\nF8\r\nCtrl+Shift+J\r\n"));
        QCOMPARE(actionShortcuts(w.main),
                 (QStringList{QString(), QStringLiteral("F2"), QStringLiteral("F9"), QStringLiteral("F6"),
                              QStringLiteral("F7"), QStringLiteral("F8"), QStringLiteral("Ctrl+Shift+J")}));
        // The next start reads them back.
        Window again;
        QCOMPARE(actionShortcuts(again.main), actionShortcuts(w.main));
    }

    void keyNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::newRow("F5") << QStringLiteral("F5") << QStringLiteral("F5");
        QTest::newRow("Ctrl+T") << QStringLiteral("Ctrl+T") << QStringLiteral("Ctrl+T");
        QTest::newRow("three parts") << QStringLiteral("Ctrl+Shift+F12") << QStringLiteral("Ctrl+Shift+F12");
        QTest::newRow("blanks") << QStringLiteral(" F4 ") << QStringLiteral("F4");
        QTest::newRow("word") << QStringLiteral("Bogus") << QString();
        QTest::newRow("two keys") << QStringLiteral("F5, F6") << QString();
        QTest::newRow("modifier alone") << QStringLiteral("Ctrl+") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void keyNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        QCOMPARE(ui::keySequenceFromName(name).toString(QKeySequence::PortableText), key);
    }
};
VANDREL_TEST(SettingsWindowTest)

#include "tst_settings.moc"
