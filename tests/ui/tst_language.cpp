#include "common/testmain.h"

#include <core/settings/messagetable.h>
#include <channel/fakeserialchannel.h>
#include <link/phonelink.h>
#include <ui/language.h>
#include <ui/mainwindow.h>
#include <ui/questionbox.h>
#include <ui/settingswindow.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;
using ui::MainWindow;
using ui::SettingsWindow;

namespace {

struct Window {
    MainWindow main{std::make_unique<link::PhoneLink>(new channel::FakeSerialChannel, new channel::FakeSerialChannel)};
    QListWidget *phonePane = new QListWidget;
    Window()
    {
        phonePane->setObjectName(QStringLiteral("ListMO"));
        main.setTabContent(MainWindow::Explorer, phonePane);
    }
};

// A folder with "LNG/<code>.txt" files of `lines` lines "<code> <n>".
void writeLanguage(const QString &folder, const QString &code, int lines)
{
    QDir(folder).mkpath(QStringLiteral("LNG"));
    QFile f(QDir(folder).filePath(QStringLiteral("LNG/") + code + QStringLiteral(".txt")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < lines; ++i)
        f.write(QStringLiteral("%1 %2\n").arg(code).arg(i).toUtf8());
}

QString actionText(const MainWindow &w, const char *name) { return w.action(QString::fromLatin1(name))->text(); }

QMessageBox *errorBox(const MainWindow &w) { return w.findChild<QMessageBox *>(QStringLiteral("ErrorBox")); }

} // namespace

class LanguageTest : public QObject {
    Q_OBJECT
private slots:
    void codeSelectsFile_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("CZ") << QStringLiteral("CZ") << QStringLiteral("CZ");
        QTest::newRow("DE") << QStringLiteral("DE") << QStringLiteral("DE");
        QTest::newRow("RU") << QStringLiteral("RU") << QStringLiteral("RU");
        QTest::newRow("unknown SK") << QStringLiteral("SK") << QStringLiteral("EN");
        QTest::newRow("lower case") << QStringLiteral("de") << QStringLiteral("EN");
        QTest::newRow("empty") << QString() << QStringLiteral("EN");
        QTest::newRow("path") << QStringLiteral("../DE") << QStringLiteral("EN");
    }
    void codeSelectsFile()
    {
        QFETCH(QString, code);
        QFETCH(QString, loaded);
        QTemporaryDir dir;
        for (const QString &c : settings::languageCodes())
            writeLanguage(dir.path(), c, 226);
        Window w;
        QVERIFY(ui::loadLanguage(w.main, code, {dir.path()}));
        QCOMPARE(w.main.messages().text(0), loaded + QStringLiteral(" 0"));
        QCOMPARE(w.main.messages().text(225), loaded + QStringLiteral(" 225"));
        QVERIFY(!errorBox(w.main));
    }

    void shortFileLeavesRestEmpty()
    {
        QTemporaryDir dir;
        writeLanguage(dir.path(), QStringLiteral("EN"), 10);
        Window w;
        QVERIFY(ui::loadLanguage(w.main, QStringLiteral("EN"), {dir.path()}));
        for (int i = 0; i < settings::MessageTable::Count; ++i)
            QCOMPARE(w.main.messages().text(i), i < 10 ? QStringLiteral("EN %1").arg(i) : QString());
        QVERIFY(!errorBox(w.main));
        QVERIFY(w.phonePane->isEnabled());
        // Captions without a text fall back to the built-in ones instead of going blank.
        QCOMPARE(actionText(w.main, "Nastaven1"), QStringLiteral("EN 0"));
        QCOMPARE(w.main.tabs()->tabText(0), QStringLiteral("Průzkumník"));
    }

    void missingFile()
    {
        QTemporaryDir good;
        QTemporaryDir empty;
        writeLanguage(good.path(), QStringLiteral("DE"), 226);
        Window w;
        QVERIFY(ui::loadLanguage(w.main, QStringLiteral("DE"), {good.path()}));
        const QString caption = actionText(w.main, "Nastaven1");
        QSignalSpy recaptioned(&w.main, &MainWindow::captionsChanged);

        QVERIFY(!ui::loadLanguage(w.main, QStringLiteral("CZ"), {empty.path()}));
        QMessageBox *box = errorBox(w.main);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Vandrel Controller"));
        QCOMPARE(box->text(), QStringLiteral("Nebyl nalezen soubor s jazykovou sadou! Ujistěte se, že je uložen v "
                                             "podadresáři \"LNG\"\nFile with language set was not found! Make sure "
                                             "it is placed in \"LNG\" subdirectory"));
        QVERIFY(!w.phonePane->isEnabled());
        // Table and captions stay as they were.
        QCOMPARE(w.main.messages().text(5), QStringLiteral("DE 5"));
        QCOMPARE(actionText(w.main, "Nastaven1"), caption);
        QCOMPARE(recaptioned.count(), 0);

        QVERIFY(ui::loadLanguage(w.main, QStringLiteral("DE"), {good.path()}));
        QVERIFY(w.phonePane->isEnabled());
    }

    void unreadableFile()
    {
        QTemporaryDir dir;
        // A folder where the file should be: found, but it cannot be read as one.
        QDir(dir.path()).mkpath(QStringLiteral("LNG/EN.txt"));
        Window w;
        QVERIFY(!ui::loadLanguage(w.main, QStringLiteral("EN"), {dir.path()}));
        QVERIFY(errorBox(w.main));
        QVERIFY(!w.phonePane->isEnabled());
    }

    void lookupOrder()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        QTemporaryDir third;
        writeLanguage(second.path(), QStringLiteral("EN"), 1);
        writeLanguage(third.path(), QStringLiteral("EN"), 2);
        QCOMPARE(ui::languageFilePath(QStringLiteral("EN"), {first.path(), second.path(), third.path()}),
                 QDir(second.path()).filePath(QStringLiteral("LNG/EN.txt")));
        QVERIFY(ui::languageFilePath(QStringLiteral("EN"), {first.path()}).isEmpty());

        // The data folder comes before the program's own files.
        QCOMPARE(link::languageFolderCandidates().value(0), vtest::home());
        writeLanguage(vtest::home(), QStringLiteral("RU"), 3);
        Window w;
        QVERIFY(ui::loadLanguage(w.main, QStringLiteral("RU")));
        QCOMPARE(w.main.messages().text(2), QStringLiteral("RU 2"));
        QVERIFY(w.main.messages().text(3).isEmpty());
        QFile::remove(QDir(vtest::home()).filePath(QStringLiteral("LNG/RU.txt")));
    }

    void switchingRecaptions()
    {
        QTemporaryDir dir;
        writeLanguage(dir.path(), QStringLiteral("CZ"), 226);
        writeLanguage(dir.path(), QStringLiteral("EN"), 226);
        Window w;
        QSignalSpy recaptioned(&w.main, &MainWindow::captionsChanged);
        QVERIFY(ui::loadLanguage(w.main, QStringLiteral("CZ"), {dir.path()}));
        QVERIFY(ui::loadLanguage(w.main, QStringLiteral("EN"), {dir.path()}));
        QCOMPARE(recaptioned.count(), 2);
        const std::pair<const char *, int> items[] = {{"Nastaven1", 0},     {"Pipojit1", 1},     {"MTelefon", 164},
                                                      {"Npovda1", 166},     {"pKopirovat", 23},  {"Editovat1", 24},
                                                      {"pAktualizovat", 25}, {"pPrejmenovat", 26}, {"pNovyadresar", 27},
                                                      {"pSmazat", 21},      {"Instalovat1", 116}};
        for (const auto &[name, n] : items)
            QCOMPARE(actionText(w.main, name), QStringLiteral("EN %1").arg(n));
        const int tabMessages[] = {28, 29, 30, 31, 181};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w.main.tabs()->tabText(i), QStringLiteral("EN %1").arg(tabMessages[i]));
        QCOMPARE(w.main.statusPanel(0)->text(), QStringLiteral("EN 42"));
        QCOMPARE(w.main.statusPanel(1)->text(), QStringLiteral("EN 43"));
        const ui::QuestionCaptions &q = ui::questionCaptions();
        QCOMPARE(q.yes, QStringLiteral("EN 76"));
        QCOMPARE(q.yesToAll, QStringLiteral("EN 77"));
        QCOMPARE(q.no, QStringLiteral("EN 78"));
        QCOMPARE(q.noToAll, QStringLiteral("EN 79"));
        QCOMPARE(q.cancel, QStringLiteral("EN 80"));
    }

    void switchingWhileConnected()
    {
        QTemporaryDir dir;
        writeLanguage(dir.path(), QStringLiteral("DE"), 226);
        auto *modem = new channel::FakeSerialChannel;
        MainWindow w(std::make_unique<link::PhoneLink>(modem, new channel::FakeSerialChannel));
        QVERIFY(!modem->open());
        w.setStatusPanel(1, QStringLiteral("/dev/ttyACM0 & 115200 Bd"));
        QVERIFY(ui::loadLanguage(w, QStringLiteral("DE"), {dir.path()}));
        QCOMPARE(actionText(w, "Pipojit1"), QStringLiteral("DE 45"));
        QCOMPARE(w.statusPanel(0)->text(), QStringLiteral("DE 44"));
        QCOMPARE(w.statusPanel(1)->text(), QStringLiteral("/dev/ttyACM0 & 115200 Bd"));
        modem->close();
        QVERIFY(ui::loadLanguage(w, QStringLiteral("DE"), {dir.path()}));
        QCOMPARE(actionText(w, "Pipojit1"), QStringLiteral("DE 1"));
        QCOMPARE(w.statusPanel(1)->text(), QStringLiteral("DE 43"));
    }

    // The whole path a user takes: the shipped files, the settings window, OK.
    void settingsWindowSwitchesLanguage()
    {
        Window w;
        w.main.create();
        SettingsWindow *dialog = ui::showSettings(w.main);
        dialog->findChild<QComboBox *>(QStringLiteral("cbJazyk"))->setCurrentIndex(0);
        dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(w.main.appSettings().language, QStringLiteral("CZ"));
        QCOMPARE(actionText(w.main, "Nastaven1"), QStringLiteral("Nastavení"));
        QCOMPARE(w.main.tabs()->tabText(1), QStringLiteral("Práce s SMS"));

        dialog = ui::showSettings(w.main);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Nastavení"));
        dialog->findChild<QComboBox *>(QStringLiteral("cbJazyk"))->setCurrentIndex(3);
        dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(w.main.appSettings().language, QStringLiteral("RU"));
        QCOMPARE(actionText(w.main, "Nastaven1"), w.main.messages().text(0));
        QVERIFY(actionText(w.main, "Nastaven1") != QStringLiteral("Nastavení"));
        QVERIFY(!errorBox(w.main));
        QFile::remove(QDir(vtest::home()).filePath(QStringLiteral("settings.ini")));
        QFile::remove(QDir(vtest::home()).filePath(QStringLiteral("short.vdl")));
    }

    void speedButtonCaption_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("F5") << QKeySequence(Qt::Key_F5) << QStringLiteral("Aktualizovat")
                            << QStringLiteral("F5 Aktualizovat");
        QTest::newRow("Ctrl+T") << QKeySequence(Qt::CTRL | Qt::Key_T) << QStringLiteral("Kopírovat")
                                << QStringLiteral("Ctrl+T Kopírovat");
        QTest::newRow("no shortcut") << QKeySequence() << QStringLiteral("Smazat") << QStringLiteral("Smazat");
    }
    void speedButtonCaption()
    {
        QFETCH(QKeySequence, key);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QCOMPARE(ui::shortcutCaption(key, text), caption);
    }
};
VANDREL_TEST(LanguageTest)

class ShippedLanguageFilesTest : public QObject {
    Q_OBJECT
private:
    // Numbers no part of the program shows.
    static bool unused(int n)
    {
        static const QList<int> free{66, 69, 71, 73, 81, 86, 178, 194, 195};
        return free.contains(n);
    }
    static QStringList lines(const QString &code)
    {
        QFile f(QDir(vtest::sourceDir()).filePath(QStringLiteral("LNG/") + code + QStringLiteral(".txt")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = f.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        if (utf8.hasError() || !text.endsWith(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
            return {};
        QStringList l = text.split(QLatin1Char('\n'));
        l.removeLast();
        return l;
    }

private slots:
    void shape_data()
    {
        QTest::addColumn<QString>("code");
        for (const QString &c : settings::languageCodes())
            QTest::newRow(qPrintable(c)) << c;
    }
    void shape()
    {
        QFETCH(QString, code);
        const QStringList l = lines(code);
        QCOMPARE(l.size(), settings::MessageTable::Count);
        for (int n = 0; n < l.size(); ++n) {
            if (!unused(n) && l.at(n).trimmed().isEmpty())
                QFAIL(qPrintable(QStringLiteral("message %1 of %2 is empty").arg(n).arg(code)));
        }
        // Texts with arguments keep their places.
        QVERIFY(l.at(222).contains(QLatin1String("%1")) && l.at(222).contains(QLatin1String("%2")));
        QVERIFY(l.at(225).contains(QLatin1String("%1")));
        // The five question buttons are told apart.
        QStringList buttons = l.mid(76, 5);
        buttons.removeDuplicates();
        QCOMPARE(buttons.size(), 5);
        // The drive list tells its two extra entries from the drive types by their text.
        QStringList drives = l.mid(34, 8) << l.at(87);
        drives.removeDuplicates();
        QCOMPARE(drives.size(), 9);
    }

    void czechDefaults_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        const std::pair<int, const char *> defaults[] = {
            {0, "Nastavení"}, {1, "Připojit"}, {3, "Ostatní"}, {4, "Komunikace"}, {8, "Jméno"}, {9, "Velikost"},
            {10, "Datum"}, {11, "Číslo"}, {12, "Text"}, {13, "Filtr"}, {14, "Přijaté přečtené"},
            {15, "Uložené odeslané"}, {16, "Uložené neodeslané"}, {18, "Nová SMS"}, {19, "Odpovědět"},
            {20, "Předat"}, {21, "Smazat"}, {22, "Zálohovat"}, {23, "Kopírovat"}, {24, "Editovat"},
            {25, "Aktualizovat"}, {26, "Přejmenovat"}, {27, "Nový adresář"}, {28, "Průzkumník"},
            {29, "Práce s SMS"}, {30, "Kalendář"}, {31, "Adresář"}, {42, "Nepřipojeno"}, {43, "Offline"},
            {74, "Jazyk: "}, {84, "Přijaté nepřečtené"}, {85, "Všechny (bez filtru)"},
            {106, "Přidat aktuální adresář"}, {107, "Náhled SMS"}, {109, "Oblíbené adresáře"},
            {110, "Instalace javy"}, {116, "Instalovat"}, {123, "Všeobecné info"}, {124, "Soukromé"},
            {125, "Obchod"}, {126, "Osobní"}, {127, "Jméno:"}, {128, "Příjmení:"}, {129, "Soukromý telefon:"},
            {130, "Obchodní telefon:"}, {131, "Soukromý mobil:"}, {132, "Obchodní mobil:"}, {133, "E-mail:"},
            {134, "URL:"}, {135, "Fax:"}, {136, "Ulice:"}, {137, "Město:"}, {138, "PSČ:"}, {139, "Země1:"},
            {140, "Země2:"}, {141, "Dodatečné informace k adrese:"}, {142, "Poznámky:"}, {143, "Obrázek:"},
            {145, "Vyzvánění:"}, {146, "Narozeniny:"}, {147, "Zobrazit jméno:"}, {148, "Načíst z telefonu"},
            {149, "Načíst ze souboru"}, {150, "Uložit do telefonu"}, {151, "Uložit do souboru"},
            {152, "Nový záznam"}, {153, "Smazat záznam"}, {156, "Přidat záznam"}, {157, "Opravit záznam"},
            {158, "Práce s SMS"}, {159, "Zobrazovat novou SMS"}, {160, "Včetně výpisů"}, {161, "Firma:"},
            {162, "Pozice:"}, {163, "Minimalizovat aplikaci do tray ikony"}, {164, "Telefon"}, {165, "Reset"},
            {166, "Nápověda"}, {167, "Obsah"}, {168, "GPRS profily"}, {169, "Jméno profilu"},
            {170, "Typ připojení"}, {171, "Spojení"}, {172, "Zabezpečené"}, {173, "Nezabezpečené"},
            {174, "Proxy server"}, {175, "Proxy port"}, {176, "Login"}, {177, "Heslo"}, {179, "Skupiny"},
            {180, "Přidat"}, {181, "Ostatní"}, {182, "Mód"}, {184, "Típnout displej"}, {185, "Emulace kláves"},
            {186, "E-mail"}, {187, "Uživatelské info"}, {188, "E-mailová adresa"}, {189, "Odpověď na"},
            {191, "Poslat heslo"}, {192, "Účet"}, {193, "Typ serveru"}, {197, "Mód stahování"},
            {198, "Max. velikost zprávy"}, {199, "Kopii na serveru"}, {200, "Smazat na serveru"},
            {201, "Uložit odesl. zprávu"}, {202, "Do odpovědi vložit originál"}, {203, "Požadovat zpr. o doručení"},
            {204, "Požadovat zpr. o přečtení"}, {205, "Podpis"}, {206, "Pouze hlavičky"}, {207, "Celou zprávu"},
            {208, "Ptát se"}, {209, "Nepoužívat"}, {210, "U nového e-mailu"}, {211, "U všech e-mailů"},
            {212, "Info o spojení"}, {213, "Přednost"}, {214, "Podpis"}, {215, "Připojení"}, {216, "Zkratky"},
            {219, "V Display Capture ukládat obrázky do 1 souboru"},
            {220, "Zobrazovat ikony souborů v levém okně"}, {224, "Upozornění při mazání adresáře v BREW"}};
        for (const auto &[n, text] : defaults)
            QTest::newRow(qPrintable(QString::number(n))) << n << QString::fromUtf8(text);
    }
    void czechDefaults()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(lines(QStringLiteral("CZ")).value(n), text);
    }
};
VANDREL_TEST(ShippedLanguageFilesTest)

#include "tst_language.moc"
