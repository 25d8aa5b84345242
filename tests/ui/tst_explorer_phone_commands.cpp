// The explorer's commands on the phone pane against the virtual phone: OBEX changes through the
// transfer window, opening phone files, and browsing the BREW file system.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "phonewindow.h"

#include <link/paths.h>
#include <ui/explorer/favourites.h>
#include <ui/shell.h>
#include <ui/transferwindow.h>

#include <QAction>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>

using namespace phonewindow;
using explorertest::captions;
using explorertest::currentCaption;

namespace {

QInputDialog *inputBox(MainWindow *w, int waitMs = 5000)
{
    QInputDialog *box = nullptr;
    (void)QTest::qWaitFor([&] { return (box = w->findChild<QInputDialog *>(QStringLiteral("InputBox"))); }, waitMs);
    return box;
}

bool transferDone(MainWindow *w)
{
    return QTest::qWaitFor([&] { return w->findChild<TransferWindow *>() != nullptr; }, 5000) &&
           QTest::qWaitFor([&] { return !w->findChild<TransferWindow *>(); }, 20000);
}

void selectPhoneRow(ExplorerTab *tab, const QString &caption)
{
    tab->activatePhonePane();
    tab->phoneView()->selectRow(tab->phoneModel()->rowOf(caption));
}

// Nothing asks, nothing opens.
bool nothingHappens(MainWindow *w)
{
    QTest::qWait(150);
    return !w->findChild<TransferWindow *>() && !w->findChild<QInputDialog *>() &&
           !w->findChild<QMessageBox *>(QStringLiteral("QuestionBox"));
}

} // namespace

class ExplorerObexCommandsTest : public QObject {
    Q_OBJECT
private slots:
    // New folder, rename and delete on the phone, each reaching the phone's own file system and
    // the pane listing what the phone then holds.
    void newFolderRenameDelete()
    {
        PhoneWindow pw(31);
        ExplorerTab *tab = pw.tab;
        QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
        const QString mmc = phonesim::obexRootOf(pw.dir.filePath(QStringLiteral("phone"))) + QStringLiteral("/mmc/");

        tab->activatePhonePane();
        pw.w->action(QStringLiteral("pNovyadresar"))->trigger();
        QInputDialog *input = inputBox(pw.w.get());
        QVERIFY(input);
        input->setTextValue(QStringLiteral("Nová"));
        input->accept();
        QVERIFY(transferDone(pw.w.get()));
        QVERIFY(listed(tab));
        QVERIFY(QFileInfo(mmc + QStringLiteral("Nová")).isDir());
        // The new folder is entered and shown.
        QCOMPARE(captions(tab->phoneModel()), QStringList{QStringLiteral("[..]")});
        QCOMPARE(pw.w->findChild<QLabel *>(QStringLiteral("sMOCesta"))->text(), QStringLiteral("mmc\\Nová\\"));
        pw.w->findChild<QPushButton *>(QStringLiteral("Button5"))->click();
        QVERIFY(listed(tab));
        QCOMPARE(currentCaption(tab->phoneView()), QStringLiteral("[Nová]"));
        QCOMPARE(captions(tab->phoneModel()), pw.expectedCaptions(QStringLiteral("mmc")));

        selectPhoneRow(tab, QStringLiteral("[Nová]"));
        pw.w->action(QStringLiteral("pPrejmenovat"))->trigger();
        input = inputBox(pw.w.get());
        QVERIFY(input);
        QCOMPARE(input->textValue(), QStringLiteral("[Nová]"));
        input->setTextValue(QStringLiteral("[Jiná]"));
        input->accept();
        QVERIFY(transferDone(pw.w.get()));
        QVERIFY(listed(tab));
        QVERIFY(QFileInfo(mmc + QStringLiteral("Jiná")).isDir());
        QVERIFY(!QFileInfo::exists(mmc + QStringLiteral("Nová")));

        selectPhoneRow(tab, QStringLiteral("[Jiná]"));
        QTest::keyClick(tab->phoneView(), Qt::Key_Delete);
        QVERIFY(answer(pw.w.get(), QMessageBox::Yes));
        QVERIFY(transferDone(pw.w.get()));
        QVERIFY(listed(tab));
        QVERIFY(!QFileInfo::exists(mmc + QStringLiteral("Jiná")));
        QCOMPARE(captions(tab->phoneModel()), pw.expectedCaptions(QStringLiteral("mmc")));
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }

    void commandsThatDoNothing_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("fromComputer");
        QTest::addColumn<QString>("phoneRow");
        QTest::addColumn<QString>("action");
        QTest::newRow("copy into the phone's root") << QString() << true << QString() << u"pKopirovat"_qs;
        QTest::newRow("edit of a phone file") << u"user"_qs << false << u"Poznámky.txt"_qs << u"Editovat1"_qs;
        QTest::newRow("rename of the parent row") << u"user"_qs << false << u"[..]"_qs << u"pPrejmenovat"_qs;
        QTest::newRow("delete of the parent row only") << u"user"_qs << false << u"[..]"_qs << u"pSmazat"_qs;
    }
    void commandsThatDoNothing()
    {
        QFETCH(QString, folder);
        QFETCH(bool, fromComputer);
        QFETCH(QString, phoneRow);
        QFETCH(QString, action);
        PhoneWindow pw(32);
        ExplorerTab *tab = pw.tab;
        QVERIFY(pw.connectAndEnter(folder));
        QTemporaryDir local;
        QFile f(local.filePath(QStringLiteral("a.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        if (fromComputer) {
            tab->computer().list(local.path());
            tab->computerView()->selectRow(tab->computerModel()->rowOf(QStringLiteral("a.txt")));
            tab->activateComputerPane();
        } else {
            selectPhoneRow(tab, phoneRow);
        }
        pw.w->action(action)->trigger();
        QVERIFY(nothingHappens(pw.w.get()));
    }

    // A folder and a file dropped onto the phone pane are copied into the phone folder shown,
    // after the copy question; the computer pane stays where it was.
    void dropCopiesAFolderAndAFile()
    {
        PhoneWindow pw(34);
        ExplorerTab *tab = pw.tab;
        QVERIFY(pw.connectAndEnter(QStringLiteral("user")));
        QTemporaryDir local;
        QDir().mkpath(local.filePath(QStringLiteral("docs/sub")));
        for (const char *name : {"docs/sub/s.txt", "docs/d.txt", "a.txt"}) {
            QFile f(local.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(name);
        }
        const QString before = tab->computerPath();
        tab->dropOnPhonePane({local.filePath(QStringLiteral("docs")), local.filePath(QStringLiteral("a.txt"))});
        QCOMPARE(tab->computerPath(), before);
        QVERIFY(answer(pw.w.get(), QMessageBox::Yes));
        QVERIFY(transferDone(pw.w.get()));
        const QString user = phonesim::obexRootOf(pw.dir.filePath(QStringLiteral("phone"))) + QStringLiteral("/user/");
        for (const char *name : {"docs/sub/s.txt", "docs/d.txt", "a.txt"}) {
            QFile f(user + QString::fromLatin1(name));
            QVERIFY2(f.open(QIODevice::ReadOnly), name);
            QCOMPARE(f.readAll(), QByteArray(name));
        }
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }

    // An OBEX favourite walks the phone there and asks the memory sizes on the way.
    void obexFavouriteWalksThere()
    {
        PhoneWindow pw(35);
        ExplorerTab *tab = pw.tab;
        QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
        selectPhoneRow(tab, QStringLiteral("[Zvuky]"));
        tab->phone().openCurrentRow();
        QVERIFY(listed(tab));
        Favourites *favourites = tab->favourites();
        QVERIFY(favourites->addAction(Favourites::List::Obex)->isEnabled());
        favourites->addAction(Favourites::List::Obex)->trigger();
        QInputDialog *input = inputBox(pw.w.get());
        QVERIFY(input);
        input->setTextValue(QStringLiteral("Zvuky"));
        input->accept();
        QTRY_COMPARE(favourites->records(Favourites::List::Obex).size(), 1);
        QCOMPARE(favourites->records(Favourites::List::Obex).first().path, QStringLiteral("mmc\\Zvuky\\"));

        pw.w->findChild<QPushButton *>(QStringLiteral("Button3"))->click();
        QVERIFY(listed(tab));
        QVERIFY(!favourites->addAction(Favourites::List::Obex)->isEnabled());
        auto *memory = pw.w->findChild<QLabel *>(QStringLiteral("Label2"));
        QVERIFY(memory->text().isEmpty());
        emit favourites->chosen(Favourites::List::Obex, QStringLiteral("mmc\\Zvuky\\"));
        QVERIFY(listed(tab));
        QCOMPARE(pw.w->findChild<QLabel *>(QStringLiteral("sMOCesta"))->text(), QStringLiteral("mmc\\Zvuky\\"));
        QCOMPARE(captions(tab->phoneModel()), pw.expectedCaptions(QStringLiteral("mmc/Zvuky")));
        QVERIFY(!memory->text().isEmpty());
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }

    // A phone file opened from the pane is fetched into the work folder and handed to the desktop.
    void doubleClickOpensAPhoneFile()
    {
        PhoneWindow pw(33);
        ExplorerTab *tab = pw.tab;
        explorertest::OpenedFiles openedFiles;
        QStringList &opened = openedFiles.paths;
        QVERIFY(pw.connectAndEnter(QStringLiteral("user")));
        const QString name = QStringLiteral("Poznámky.txt");
        const QString target = QDir(link::workFolder()).filePath(name);
        {
            QFile stale(target);
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write("an older copy");
        }
        selectPhoneRow(tab, name);
        tab->phone().openCurrentRow();
        const bool done = QTest::qWaitFor([&] { return !opened.isEmpty(); }, 20000);
        QVERIFY(done);
        QCOMPARE(opened, QStringList{target});
        QFile got(target);
        QVERIFY(got.open(QIODevice::ReadOnly));
        QCOMPARE(got.readAll(), QStringLiteral("Nákup: chléb, mléko, máslo\r\n").toUtf8());
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }
};
VANDREL_TEST(ExplorerObexCommandsTest)

class ExplorerBrewBrowseTest : public QObject {
    Q_OBJECT
private slots:
    // In BREW access the pane walks the BREW file system: into folders, through a folder of more
    // entries than one sequence byte counts, back up with the folder left selected, to the root.
    void browse()
    {
        PhoneWindow pw(41);
        ExplorerTab *tab = pw.tab;
        tab->phone().chooseAccess(1);
        pw.w->connection().toggleConnection();
        QVERIFY(listed(tab));
        QVERIFY(captions(tab->phoneModel()).contains(QStringLiteral("[brew]")));
        auto *root = pw.w->findChild<QPushButton *>(QStringLiteral("Button3"));
        auto *up = pw.w->findChild<QPushButton *>(QStringLiteral("Button5"));
        QVERIFY(!root->isEnabled());

        for (const char *folder : {"brew", "mod", "many-files"}) {
            selectPhoneRow(tab, QStringLiteral("[%1]").arg(QLatin1String(folder)));
            QTest::keyClick(tab->phoneView(), Qt::Key_Return);
            QVERIFY(listed(tab));
        }
        QCOMPARE(pw.w->findChild<QLabel *>(QStringLiteral("sMOCesta"))->text(), QStringLiteral("brew/mod/many-files/"));
        const QStringList rows = captions(tab->phoneModel());
        QCOMPARE(rows.size(), 311);
        QCOMPARE(rows.first(), QStringLiteral("[..]"));
        QVERIFY(rows.contains(QStringLiteral("file000.dat")) && rows.contains(QStringLiteral("file309.dat")));
        QVERIFY(root->isEnabled() && up->isEnabled());

        up->click();
        QVERIFY(listed(tab));
        QCOMPARE(currentCaption(tab->phoneView()), QStringLiteral("[many-files]"));
        QCOMPARE(pw.w->findChild<QLabel *>(QStringLiteral("sMOCesta"))->text(), QStringLiteral("brew/mod/"));

        selectPhoneRow(tab, QStringLiteral("[..]"));
        tab->phone().openCurrentRow();
        QVERIFY(listed(tab));
        QCOMPARE(currentCaption(tab->phoneView()), QStringLiteral("[mod]"));

        // F5 lists the same folder again.
        pw.w->action(QStringLiteral("pAktualizovat"))->trigger();
        QVERIFY(listed(tab));
        QVERIFY(captions(tab->phoneModel()).contains(QStringLiteral("[mod]")));

        root->click();
        QVERIFY(listed(tab));
        QVERIFY(captions(tab->phoneModel()).contains(QStringLiteral("[brew]")));
        QVERIFY(!root->isEnabled() && !up->isEnabled());
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }
};
VANDREL_TEST(ExplorerBrewBrowseTest)

#endif

#include "tst_explorer_phone_commands.moc"
