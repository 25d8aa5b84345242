// The "Ostatní" tab on copies of the virtual phone's database files: reading, the controls,
// "OK" of both boxes, "Zapsat" and reading back, damaged files.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include <core/phonebook/sidelines.h>
#include <core/phonedb/groups.h>
#include <channel/fakeserialchannel.h>
#include <phone-sim/seed.h>
#include <ui/mainwindow.h>
#include <ui/other/othertab.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;
using namespace vandrel::ui;

namespace {

struct OtherWindow {
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> w;
    OtherTab *tab = nullptr;
    QString folder;

    OtherWindow()
    {
        const QString phone = dir.filePath(QStringLiteral("phone"));
        phonesim::seedWhenEmpty(phone);
        folder = dir.filePath(QStringLiteral("copies"));
        QDir().mkpath(folder);
        const QDir seeded(phonesim::databaseFolderOf(phone));
        for (const QString &name : seeded.entryList(QDir::Files))
            QFile::copy(seeded.filePath(name), QDir(folder).filePath(name));
        w = std::make_unique<MainWindow>(std::make_unique<link::PhoneLink>(new channel::FakeSerialChannel, new channel::FakeSerialChannel));
        w->create();
        w->show();
        tab = w->findChild<OtherTab *>(QStringLiteral("OtherTab"));
    }
    template <class T>
    T *get(const char *name) const { return w->findChild<T *>(QString::fromLatin1(name)); }
    QString text(const char *edit) const { return get<QLineEdit>(edit)->text(); }
    void patch(const QString &file, int offset, const QByteArray &bytes) const
    {
        QFile f(QDir(folder).filePath(file));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(offset));
        f.write(bytes);
    }
    QByteArray bytes(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool errorShown() const
    {
        return QTest::qWaitFor([&] {
            for (auto *b : w->findChildren<QMessageBox *>(QStringLiteral("ErrorBox")))
                if (b->isVisible()) {
                    b->close();
                    return true;
                }
            return false;
        }, 3000);
    }
};

} // namespace

class OtherTabTest : public QObject {
    Q_OBJECT
private slots:
    void readsTheFolder()
    {
        OtherWindow ow;
        // account2: POP3 port 80, data profile 3.
        ow.patch(QStringLiteral("account2"), 0x106, QByteArray("\x50\x00", 2));
        ow.patch(QStringLiteral("account2"), 0x250, QByteArray("\x03", 1));
        // profile1: HTTP, not secured.
        ow.patch(QStringLiteral("profile1"), 0x023, QByteArray("\x01\x00", 2));
        QSignalSpy groupsChanged(ow.w.get(), &MainWindow::groupSideListChanged);
        ow.tab->loadFolder(ow.folder);

        auto *accounts = ow.get<QComboBox>("ComboBox2");
        QCOMPARE(accounts->count(), 2); // account2 and account5
        QCOMPARE(accounts->itemText(0), u"Pracovní pošta"_qs);
        QCOMPARE(accounts->itemText(1), u"Soukromá"_qs);
        QCOMPARE(accounts->currentIndex(), 0);
        QCOMPARE(ow.text("LabeledEdit50"), u"80"_qs);
        QCOMPARE(ow.get<QComboBox>("ComboBox3")->currentText(), u"profile3"_qs);
        QCOMPARE(ow.text("LabeledEdit42"), u"jan.novak@firma.example.cz"_qs);
        QCOMPARE(ow.get<QComboBox>("ComboBox5")->currentIndex(), 1); // whole message
        QVERIFY(ow.get<QCheckBox>("CheckBox14")->isChecked());
        QVERIFY(!ow.get<QCheckBox>("CheckBox7")->isChecked());
        // Passwords are masked until asked for.
        QCOMPARE(ow.get<QLineEdit>("LabeledEdit45")->echoMode(), QLineEdit::Password);
        ow.get<QCheckBox>("ShowPasswords")->setChecked(true);
        QCOMPARE(ow.get<QLineEdit>("LabeledEdit45")->echoMode(), QLineEdit::Normal);

        QCOMPARE(ow.get<QComboBox>("ComboBox1")->count(), 3);
        QVERIFY(ow.get<QRadioButton>("RadioButton1")->isChecked());
        QVERIFY(ow.get<QRadioButton>("RadioButton4")->isChecked());

        const QStringList side{u"1;Rodina"_qs, u"2;Přátelé"_qs, u"3;Práce"_qs, u"4;Služby"_qs, u"5;VIP"_qs};
        QCOMPARE(ow.get<QListWidget>("ListBox4")->item(1)->text(), u"2: Přátelé"_qs);
        QCOMPARE(phonebook::readSideLines(ow.bytes(vtest::home() + QStringLiteral("/grp.vdl"))), side);
        QCOMPARE(groupsChanged.count(), 1);
        QCOMPARE(groupsChanged.first().first().toStringList(), side);
        // The address book's group list follows without a restart.
        auto *bookGroups = ow.w->findChild<QComboBox *>(QStringLiteral("ComboBox7"));
        QVERIFY(bookGroups);
        QCOMPARE(bookGroups->count(), 5);
        QCOMPARE(bookGroups->itemText(1), u"Přátelé"_qs);

        // Without "Datové profily" the profiles are gone after the next read.
        ow.get<QCheckBox>("CheckBox6")->setChecked(false);
        ow.tab->loadFolder(ow.folder);
        QCOMPARE(ow.get<QComboBox>("ComboBox1")->count(), 0);
        QVERIFY(ow.tab->profiles().isEmpty());
        QCOMPARE(ow.get<QComboBox>("ComboBox2")->count(), 2);
    }

    void badProxyPortChangesNothing_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("stored");
        QTest::newRow("letters") << u"80x"_qs << false;
        QTest::newRow("too big") << u"65536"_qs << false;
        QTest::newRow("number") << u"3128"_qs << true;
    }
    void badProxyPortChangesNothing()
    {
        QFETCH(QString, port);
        QFETCH(bool, stored);
        OtherWindow ow;
        ow.tab->loadFolder(ow.folder);
        const auto before = ow.tab->profiles().first();
        ow.get<QLineEdit>("LabeledEdit36")->setText(u"Jiný"_qs);
        ow.get<QLineEdit>("LabeledEdit37")->setText(u"proxy.example.cz"_qs);
        ow.get<QRadioButton>("RadioButton2")->setChecked(true);
        ow.get<QLineEdit>("LabeledEdit38")->setText(port);
        ow.get<QPushButton>("Button12")->click();
        if (stored) {
            QCOMPARE(ow.tab->profiles().first().proxyPort, port.toInt());
            QCOMPARE(ow.tab->profiles().first().profileName, u"Jiný"_qs);
            QCOMPARE(ow.get<QComboBox>("ComboBox1")->itemText(0), u"Jiný"_qs);
        } else {
            QVERIFY(ow.errorShown());
            QCOMPARE(ow.tab->profiles().first(), before);
        }
    }

    void writtenAccountsReadBack()
    {
        OtherWindow ow;
        ow.tab->loadFolder(ow.folder);
        // The second account changed through its controls, the first left as read.
        ow.get<QComboBox>("ComboBox2")->setCurrentIndex(1);
        QMetaObject::invokeMethod(ow.get<QComboBox>("ComboBox2"), "activated", Q_ARG(int, 1));
        QCOMPARE(ow.text("LabeledEdit42"), u"vera@example.cz"_qs);
        ow.get<QLineEdit>("LabeledEdit48")->setText(u"smtp.jinde.example.cz"_qs);
        ow.get<QCheckBox>("CheckBox12")->setChecked(false);
        ow.get<QPushButton>("Button11")->click();
        const auto table = ow.tab->accounts();
        QCOMPARE(table[1].account.smtpServer, u"smtp.jinde.example.cz"_qs);

        const QString out = ow.dir.filePath(QStringLiteral("written"));
        QDir().mkpath(out);
        QSignalSpy written(ow.tab, &OtherTab::accountsWritten);
        ow.tab->writeAccountsTo(out);
        QCOMPARE(written.count(), 1);
        QVERIFY(written.first().first().toBool());
        QCOMPARE(QDir(out).entryList(QDir::Files), (QStringList{u"account1"_qs, u"account2"_qs}));
        // Unchanged: the original file byte for byte.
        QCOMPARE(ow.bytes(out + QStringLiteral("/account1")), ow.bytes(ow.folder + QStringLiteral("/account2")));

        ow.tab->loadFolder(out);
        QCOMPARE(ow.tab->accounts().size(), table.size());
        for (qsizetype i = 0; i < table.size(); ++i)
            QCOMPARE(ow.tab->accounts()[i].account, table[i].account);
    }

    void damagedFilesReported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("keep");
        QTest::newRow("account cut") << u"account5"_qs << 0x200;
        QTest::newRow("group file cut") << phonedb::kGroupFileName << 20;
    }
    void damagedFilesReported()
    {
        QFETCH(QString, file);
        QFETCH(int, keep);
        OtherWindow ow;
        QFile::resize(QDir(ow.folder).filePath(file), keep);
        QFile::remove(vtest::home() + QStringLiteral("/grp.vdl"));
        ow.tab->loadFolder(ow.folder);
        QVERIFY(ow.errorShown());
        if (file.startsWith(u"account")) {
            QCOMPARE(ow.get<QComboBox>("ComboBox2")->count(), 1); // account2 still read
        } else {
            // A damaged group file leaves the side file as it was.
            QVERIFY(!QFile::exists(vtest::home() + QStringLiteral("/grp.vdl")));
            QCOMPARE(ow.get<QListWidget>("ListBox4")->count(), 1);
        }
    }
};

VANDREL_TEST(OtherTabTest)
#include "tst_other_tab.moc"

#endif
