// The explorer's commands on the computer pane, the popup menu and its shortcuts.
#include "common/testmain.h"
#include "tst_explorer_helpers.h"

#include <channel/fakeserialchannel.h>
#include <ui/explorer/dirtablemodel.h>
#include <ui/explorer/explorercommands.h>
#include <ui/explorer/explorertab.h>
#include <ui/explorer/favourites.h>
#include <ui/explorer/quillview.h>
#include <ui/mainwindow.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;
using namespace vandrel::ui;
using explorertest::captions;

namespace {

struct Window {
    std::unique_ptr<MainWindow> w{std::make_unique<MainWindow>(
        std::make_unique<link::PhoneLink>(new channel::FakeSerialChannel, new channel::FakeSerialChannel))};
    ExplorerTab *tab = nullptr;
    QTemporaryDir dir;
    QString folder;

    Window()
    {
        w->create();
        w->show();
        tab = w->findChild<ExplorerTab *>(QStringLiteral("ExplorerTab"));
        folder = dir.path() + QLatin1Char('/');
    }
    void list() { tab->computer().list(folder); }
    void select(const QStringList &rows)
    {
        auto *view = tab->computerView();
        view->clearSelection();
        for (const QString &r : rows)
            view->selectionModel()->select(tab->computerModel()->index(tab->computerModel()->rowOf(r), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void trigger(const char *action) { w->action(QString::fromLatin1(action))->trigger(); }
    QInputDialog *inputBox(int waitMs = 3000) const
    {
        QInputDialog *box = nullptr;
        (void)QTest::qWaitFor([&] { return (box = w->findChild<QInputDialog *>(QStringLiteral("InputBox"))); }, waitMs);
        return box;
    }
    QMessageBox *box(const char *name, int waitMs = 3000) const
    {
        QMessageBox *b = nullptr;
        (void)QTest::qWaitFor([&] {
            for (QMessageBox *m : w->findChildren<QMessageBox *>(QString::fromLatin1(name)))
                if (m->isVisible())
                    b = m;
            return b != nullptr;
        }, waitMs);
        return b;
    }
};

void write(const QString &path, const QByteArray &bytes = "x")
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class ExplorerComputerCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void renameAsksOnlyForOneRealRow_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("two rows") << QStringList{u"a.txt"_qs, u"b.txt"_qs};
        QTest::newRow("the parent row") << QStringList{u"[..]"_qs};
        QTest::newRow("nothing") << QStringList{};
    }
    void renameAsksOnlyForOneRealRow()
    {
        QFETCH(QStringList, selected);
        Window win;
        write(win.folder + u"a.txt"_qs);
        write(win.folder + u"b.txt"_qs);
        win.list();
        win.select(selected);
        win.trigger("pPrejmenovat");
        QVERIFY(!win.inputBox(200));
        QCOMPARE(captions(win.tab->computerModel()), (QStringList{u"[..]"_qs, u"a.txt"_qs, u"b.txt"_qs}));
    }

    void rename_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expectedRow");
        QTest::addColumn<bool>("refused");
        QTest::newRow("file") << u"a.txt"_qs << u"c.txt"_qs << u"c.txt"_qs << false;
        QTest::newRow("folder as shown, brackets kept") << u"[docs]"_qs << u"[papers]"_qs << u"[papers]"_qs << false;
        QTest::newRow("folder without brackets") << u"[docs]"_qs << u"papers"_qs << u"[papers]"_qs << false;
        QTest::newRow("onto an existing file") << u"a.txt"_qs << u"b.txt"_qs << u"a.txt"_qs << true;
        QTest::newRow("out of the folder") << u"a.txt"_qs << u"../a.txt"_qs << u"a.txt"_qs << true;
        QTest::newRow("empty answer does nothing") << u"a.txt"_qs << QString() << u"a.txt"_qs << false;
    }
    void rename()
    {
        QFETCH(QString, caption);
        QFETCH(QString, answer);
        QFETCH(QString, expectedRow);
        QFETCH(bool, refused);
        Window win;
        write(win.folder + u"a.txt"_qs);
        write(win.folder + u"b.txt"_qs);
        QDir().mkdir(win.folder + u"docs"_qs);
        win.list();
        win.select({caption});
        win.trigger("pPrejmenovat");
        QInputDialog *input = win.inputBox();
        QVERIFY(input);
        QVERIFY(input->labelText().endsWith(caption + u": "_qs));
        QCOMPARE(input->textValue(), caption);
        input->setTextValue(answer);
        input->accept();
        QTRY_VERIFY(win.tab->computerModel()->rowOf(expectedRow) >= 0);
        QCOMPARE(win.box("ErrorBox", refused ? 2000 : 100) != nullptr, refused);
        QVERIFY(QFile::exists(win.folder + u"b.txt"_qs));
    }

    // Three files, the second write-protected: the others go, one error names the second, and
    // the pane is listed again.
    void deleteGoesOnPastAProtectedFile()
    {
        Window win;
        for (const char *n : {"one.txt", "two.txt", "three.txt"})
            write(win.folder + QString::fromLatin1(n));
        QFile::setPermissions(win.folder + u"two.txt"_qs, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        win.list();
        win.select({u"one.txt"_qs, u"two.txt"_qs, u"three.txt"_qs});
        win.trigger("pSmazat");
        QMessageBox *q = win.box("QuestionBox");
        QVERIFY(q);
        q->button(QMessageBox::Yes)->click();
        QMessageBox *error = win.box("ErrorBox");
        QVERIFY(error);
        QVERIFY(error->text().startsWith(u"two.txt"_qs));
        QVERIFY(!error->text().contains(u"one.txt"_qs));
        QCOMPARE(error->icon(), QMessageBox::Critical);
        QCOMPARE(captions(win.tab->computerModel()), (QStringList{u"[..]"_qs, u"two.txt"_qs}));
        QVERIFY(!QFile::exists(win.folder + u"one.txt"_qs));
        QVERIFY(!QFile::exists(win.folder + u"three.txt"_qs));
    }

    void deleteOfAFolderTree_data()
    {
        QTest::addColumn<bool>("protectInside");
        QTest::newRow("whole tree goes") << false;
        QTest::newRow("a protected file inside stops it") << true;
    }
    void deleteOfAFolderTree()
    {
        QFETCH(bool, protectInside);
        Window win;
        QDir().mkpath(win.folder + u"tree/sub/.hidden"_qs);
        write(win.folder + u"tree/sub/.hidden/x"_qs);
        write(win.folder + u"tree/sub/keep.txt"_qs);
        write(win.folder + u"tree/a.txt"_qs);
        write(win.folder + u"after.txt"_qs);
        if (protectInside)
            QFile::setPermissions(win.folder + u"tree/sub/keep.txt"_qs, QFile::ReadOwner);
        win.list();
        win.select({u"[tree]"_qs, u"after.txt"_qs});
        QTest::keyClick(win.tab->computerView(), Qt::Key_Delete);
        QMessageBox *q = win.box("QuestionBox");
        QVERIFY(q);
        q->button(QMessageBox::Yes)->click();
        if (protectInside) {
            QMessageBox *error = win.box("ErrorBox");
            QVERIFY(error);
            QCOMPARE(error->icon(), QMessageBox::Critical);
            // The whole command stopped: the file after the folder is still there.
            QVERIFY(QFile::exists(win.folder + u"after.txt"_qs));
            QVERIFY(QFile::exists(win.folder + u"tree/sub/keep.txt"_qs));
        } else {
            QTRY_COMPARE(captions(win.tab->computerModel()), QStringList{u"[..]"_qs});
            QVERIFY(!QFileInfo::exists(win.folder + u"tree"_qs));
        }
    }

    void deleteAnsweredNoKeepsAll()
    {
        Window win;
        write(win.folder + u"a.txt"_qs);
        win.list();
        win.select({u"a.txt"_qs});
        win.trigger("pSmazat");
        QMessageBox *q = win.box("QuestionBox");
        QVERIFY(q);
        q->button(QMessageBox::No)->click();
        QTest::qWait(50);
        QVERIFY(QFile::exists(win.folder + u"a.txt"_qs));
    }

    void newFolder_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("made") << u"Nový"_qs << false << QStringList{u"[..]"_qs, u"[Nový]"_qs, u"[old]"_qs};
        QTest::newRow("exists already") << u"old"_qs << true << QStringList{u"[..]"_qs, u"[old]"_qs};
        QTest::newRow("no name, nothing") << QString() << false << QStringList{u"[..]"_qs, u"[old]"_qs};
        QTest::newRow("a path is no name") << u"x/y"_qs << true << QStringList{u"[..]"_qs, u"[old]"_qs};
    }
    void newFolder()
    {
        QFETCH(QString, answer);
        QFETCH(bool, fails);
        QFETCH(QStringList, rows);
        Window win;
        QDir().mkdir(win.folder + u"old"_qs);
        win.list();
        win.trigger("pNovyadresar");
        QInputDialog *input = win.inputBox();
        QVERIFY(input);
        QVERIFY(input->textValue().isEmpty());
        input->setTextValue(answer);
        input->accept();
        QCOMPARE(win.box("ErrorBox", fails ? 2000 : 100) != nullptr, fails);
        QTRY_COMPARE(captions(win.tab->computerModel()), rows);
        QCOMPARE(win.tab->activePane(), ExplorerTab::Pane::Computer);
    }

    // F4 on a computer file: the user's editor; a saved change lists the folder again.
    void editListsTheFolderAfterASave()
    {
        Window win;
        write(win.folder + u"a.txt"_qs, "1");
        const QString editor = win.folder + u"ed.sh"_qs;
        write(editor, "#!/bin/sh\nprintf 2345 >> \"$1\"\n");
        QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        win.w->appSettings().editFile = editor;
        win.list();
        win.select({u"a.txt"_qs});
        win.trigger("Editovat1");
        QTRY_COMPARE_WITH_TIMEOUT(
            win.tab->computerModel()->index(win.tab->computerModel()->rowOf(u"a.txt"_qs), 1).data().toString(), u"5"_qs,
            10000);
    }

    void editorThatCannotStartIsReported()
    {
        Window win;
        write(win.folder + u"a.txt"_qs);
        win.w->appSettings().editFile = win.folder + u"no-such-editor"_qs;
        win.list();
        win.select({u"a.txt"_qs});
        win.trigger("Editovat1");
        QMessageBox *error = win.box("ErrorBox");
        QVERIFY(error);
        QVERIFY(error->text().contains(u"no-such-editor"_qs));
    }

    // A favourite added from the star button's menu leads back to its folder.
    void computerFavouriteRoundTrip()
    {
        Window win;
        QDir().mkpath(win.folder + u"deep/er"_qs);
        win.tab->computer().list(win.folder + u"deep/er"_qs);
        Favourites *favourites = win.tab->favourites();
        QMenu *menu = favourites->menu(Favourites::List::Computer);
        favourites->addAction(Favourites::List::Computer)->trigger();
        QInputDialog *input = win.inputBox();
        QVERIFY(input);
        input->setTextValue(u"Hluboko"_qs);
        input->accept();
        QAction *entry = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            for (QAction *a : menu->actions())
                if (a->text() == u"Hluboko"_qs)
                    entry = a;
            return entry != nullptr;
        }, 3000));
        win.list();
        QCOMPARE(win.tab->computerPath(), win.folder);
        entry->trigger();
        QCOMPARE(win.tab->computerPath(), win.folder + u"deep/er/"_qs);
    }

    void refreshShowsNewFiles()
    {
        Window win;
        win.list();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        write(win.folder + u"late.txt"_qs);
        QVERIFY(win.tab->computerModel()->rowOf(u"late.txt"_qs) < 0);
        QTest::keyClick(win.tab->computerView(), Qt::Key_F5);
        QVERIFY(win.tab->computerModel()->rowOf(u"late.txt"_qs) >= 0);
    }
};
VANDREL_TEST(ExplorerComputerCommandsTest)

class ExplorerPopupTest : public QObject {
    Q_OBJECT
private slots:
    void entriesInOrder()
    {
        Window win;
        QStringList names;
        for (QAction *a : win.w->menu(u"Pop1"_qs)->actions())
            names << (a->isSeparator() ? u"-"_qs : a->objectName());
        QCOMPARE(names, (QStringList{u"pAktualizovat"_qs, u"-"_qs, u"Editovat1"_qs, u"pKopirovat"_qs, u"pPrejmenovat"_qs,
                                     u"pNovyadresar"_qs, u"pSmazat"_qs, u"-"_qs, u"Instalovat1"_qs}));
    }

    void installShownFor_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("computerFocus");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("installs"); // what the installer window names, when it opens
        QTest::newRow("jar") << u"game.jar"_qs << true << true << u"game.jar"_qs;
        QTest::newRow("theme") << u"blue.sdt"_qs << true << true << u"blue.sdt"_qs;
        QTest::newRow("jad beside its jar") << u"game.jad"_qs << true << true << u"game.jar"_qs;
        QTest::newRow("jad alone") << u"lone.jad"_qs << true << false << QString();
        QTest::newRow("text") << u"note.txt"_qs << true << false << QString();
        QTest::newRow("jar, phone pane focused") << u"game.jar"_qs << false << false << QString();
    }
    void installShownFor()
    {
        QFETCH(QString, caption);
        QFETCH(bool, computerFocus);
        QFETCH(bool, shown);
        Window win;
        for (const char *n : {"game.jar", "game.jad", "lone.jad", "blue.sdt", "note.txt"})
            write(win.folder + QString::fromLatin1(n));
        win.list();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        win.select({caption});
        if (computerFocus)
            win.tab->activateComputerPane();
        else
            win.tab->activatePhonePane();
        auto *commands = win.w->findChild<ExplorerCommands *>(u"ExplorerCommands"_qs);
        QVERIFY(commands);
        commands->prepareExplorerPopup();
        QCOMPARE(win.w->action(u"Instalovat1"_qs)->isVisible(), shown);
        if (!shown)
            return;
        QFETCH(QString, installs);
        win.w->action(u"Instalovat1"_qs)->trigger();
        QDialog *installer = nullptr;
        QTRY_VERIFY((installer = qobject_cast<QDialog *>(QApplication::activeModalWidget())));
        QCOMPARE(installer->objectName(), u"TForm9"_qs);
        auto *file = installer->findChild<QLabel *>(u"Label2"_qs);
        QVERIFY(file);
        QCOMPARE(file->text(), win.folder + installs);
        installer->reject();
    }

    // The shortcuts work from either pane without the menu being open.
    void shortcutsActInBothPanes_data()
    {
        QTest::addColumn<bool>("phonePane");
        QTest::newRow("computer pane") << false;
        QTest::newRow("phone pane") << true;
    }
    void shortcutsActInBothPanes()
    {
        QFETCH(bool, phonePane);
        Window win;
        win.list();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        QWidget *pane = phonePane ? static_cast<QWidget *>(win.tab->phoneView()) : win.tab->computerView();
        phonePane ? win.tab->activatePhonePane() : win.tab->activateComputerPane();
        QSignalSpy refresh(win.w->action(u"pAktualizovat"_qs), &QAction::triggered);
        QSignalSpy newFolder(win.w->action(u"pNovyadresar"_qs), &QAction::triggered);
        QTest::keyClick(pane, Qt::Key_F5);
        QTest::keyClick(pane, Qt::Key_F7);
        QCOMPARE(refresh.size(), 1);
        QCOMPARE(newFolder.size(), 1);
        if (QInputDialog *input = win.inputBox(phonePane ? 100 : 2000))
            input->reject();
    }
};
VANDREL_TEST(ExplorerPopupTest)

#include "tst_explorer_commands.moc"
