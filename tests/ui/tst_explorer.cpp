#include "common/testmain.h"
#include "tst_explorer_helpers.h"

#include <core/explorer/drives.h>
#include <core/text/format.h>
#include <channel/fakeserialchannel.h>
#include <ui/connection.h>
#include <ui/explorer/dirtablemodel.h>
#include <ui/explorer/explorertab.h>
#include <ui/explorer/quillview.h>
#include <ui/language.h>
#include <ui/mainwindow.h>
#include <ui/shell.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <unistd.h>

using namespace vandrel;
using namespace vandrel::ui;
using explorer::DirEntry;
using explorertest::captions;
using explorertest::currentCaption;

namespace {

struct Window {
    std::unique_ptr<MainWindow> w{std::make_unique<MainWindow>(
        std::make_unique<link::PhoneLink>(new channel::FakeSerialChannel, new channel::FakeSerialChannel))};
    ExplorerTab *tab = nullptr;
    Window()
    {
        w->create();
        tab = w->findChild<ExplorerTab *>(QStringLiteral("ExplorerTab"));
    }
    template <typename T = QWidget>
    T *child(const char *name) const
    {
        return w->findChild<T *>(QString::fromLatin1(name));
    }
};


QString column(const DirTableModel *m, const QString &caption, int col)
{
    const int row = m->rowOf(caption);
    return row < 0 ? QStringLiteral("<missing>") : m->index(row, col).data().toString();
}


void touch(const QString &path, const QByteArray &contents = {}, const QDateTime &when = {})
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
    if (when.isValid())
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// tmp/a/b with folders photos, ab, ab-x, a hidden file, an empty file, two named files and a
// dangling link (a "system" entry: neither file nor folder).
struct Tree {
    QTemporaryDir dir;
    QString b;
    QDateTime march = QDateTime(QDate(2005, 3, 7), QTime(9, 5, 1));
    Tree()
    {
        b = dir.path() + QStringLiteral("/a/b/");
        for (const char *sub : {"photos", "ab", "ab-x", ".secret-folder"})
            QDir().mkpath(b + QString::fromLatin1(sub));
        touch(b + QStringLiteral(".hidden"), "x");
        touch(b + QStringLiteral("empty.txt"), {}, march);
        touch(b + QStringLiteral("Zeta.txt"), "zzz");
        touch(b + QStringLiteral("alpha.txt"), QByteArray(1234, 'a'));
        QFile::link(b + QStringLiteral("nowhere"), b + QStringLiteral("dangling"));
    }
};

} // namespace

class ExplorerModelTest : public QObject {
    Q_OBJECT
private slots:
    void rowsAndColumns_data()
    {
        QTest::addColumn<QList<DirEntry>>("rows");
        QTest::addColumn<bool>("phone");
        QTest::newRow("empty") << QList<DirEntry>{} << false;
        QTest::newRow("computer rows") << QList<DirEntry>{DirEntry::folder(u".."_qs, u"01.01.2020 00:00:00"_qs),
                                                          DirEntry::folder(u"docs"_qs),
                                                          DirEntry::file(u"a.txt"_qs, u"0"_qs, u"07.03.2005 09:05:01"_qs)}
                                       << false;
        QTest::newRow("phone rows") << QList<DirEntry>{DirEntry::parent(), DirEntry::file(u"b"_qs, u"12"_qs)} << true;
    }
    void rowsAndColumns()
    {
        QFETCH(QList<DirEntry>, rows);
        QFETCH(bool, phone);
        DirTableModel model(phone);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRows(rows, phone ? QString() : QDir::tempPath() + QLatin1Char('/'));
        QCOMPARE(model.rowCount(), rows.size());
        QCOMPARE(model.columnCount(), 3);
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(model.index(i, 0).data().toString(), rows[i].caption());
            QCOMPARE(model.index(i, 1).data().toString(), rows[i].sizeText);
            QCOMPARE(model.index(i, 2).data().toString(), rows[i].dateText);
            QCOMPARE(model.rowOf(rows[i].caption()), i);
            auto align = [&](int col) { return model.index(i, col).data(Qt::TextAlignmentRole).value<Qt::Alignment>(); };
            QVERIFY(align(0) & Qt::AlignLeft);
            QVERIFY(align(1) & Qt::AlignRight);
            // Dates: left in the computer pane, right in the phone pane.
            QVERIFY(align(2) & (phone ? Qt::AlignRight : Qt::AlignLeft));
        }
        QCOMPARE(model.rowOf(u"[nothing]"_qs), -1);
        model.setIconsShown(true);
        if (!phone && !rows.isEmpty())
            QVERIFY(model.index(0, 0).data(Qt::DecorationRole).isValid());
        QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).isValid());
        model.setIconsShown(false);
        if (!rows.isEmpty())
            QVERIFY(!model.index(0, 0).data(Qt::DecorationRole).isValid());
        model.setHeaders({u"Name"_qs, u"Size"_qs, u"Date"_qs});
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"Size"_qs);
        model.clear();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.index(0, 0).isValid());
    }
};
VANDREL_TEST(ExplorerModelTest)

class ExplorerComputerPaneTest : public QObject {
    Q_OBJECT
private slots:
    void rowsOfAFolder()
    {
        Tree t;
        Window win;
        QAbstractItemModelTester tester(win.tab->computerModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        win.tab->computer().list(t.b);
        const DirTableModel *m = win.tab->computerModel();
        // "[..]", folders (ab-x before ab), then files; hidden entries left out, the dangling link shown.
        QCOMPARE(captions(m), (QStringList{u"[..]"_qs, u"[ab-x]"_qs, u"[ab]"_qs, u"[photos]"_qs, u"alpha.txt"_qs,
                                           u"dangling"_qs, u"empty.txt"_qs, u"Zeta.txt"_qs}));
        QCOMPARE(column(m, u"empty.txt"_qs, 1), u"0"_qs);
        QCOMPARE(column(m, u"alpha.txt"_qs, 1), u"1234"_qs);
        QCOMPARE(column(m, u"[photos]"_qs, 1), u"  <DIR>"_qs);
        QCOMPARE(column(m, u"[..]"_qs, 1), u"  <DIR>"_qs);
        QCOMPARE(column(m, u"empty.txt"_qs, 2), u"07.03.2005 09:05:01"_qs);
        QVERIFY(QRegularExpression(u"^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$"_qs)
                    .match(column(m, u"[photos]"_qs, 2))
                    .hasMatch());
        QCOMPARE(win.tab->computerPath(), t.b);
        QCOMPARE(win.child<QLabel>("sPCCesta")->text(), QDir::toNativeSeparators(t.b));
        QCOMPARE(currentCaption(win.tab->computerView()), u"[..]"_qs);
        QVERIFY(win.child("Button1")->isEnabled());
        QVERIFY(win.child("Button2")->isEnabled());
        // The folder shown is the one the program keeps for the next start.
        QCOMPARE(win.w->appSettings().cesta, t.b);
    }

    void rootHasNoParentRow()
    {
        Window win;
        win.tab->computer().list(u"/"_qs);
        QCOMPARE(win.tab->computerPath(), u"/"_qs);
        QVERIFY(!captions(win.tab->computerModel()).contains(u"[..]"_qs));
        QVERIFY(!win.child("Button1")->isEnabled());
        QVERIFY(!win.child("Button2")->isEnabled());
        // Backspace at the root stays there.
        QTest::keyClick(win.tab->computerView(), Qt::Key_Backspace);
        QCOMPARE(win.tab->computerPath(), u"/"_qs);
        // One level down "[..]" is the first row.
        Tree t;
        win.tab->computer().list(t.dir.path());
        QCOMPARE(captions(win.tab->computerModel()).value(0), u"[..]"_qs);
    }

    void goingUpSelectsTheFolderLeft_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Backspace") << u"backspace"_qs;
        QTest::newRow("parent button") << u"button"_qs;
        QTest::newRow("parent row") << u"row"_qs;
        QTest::newRow("Enter on the parent row") << u"enter"_qs;
    }
    void goingUpSelectsTheFolderLeft()
    {
        QFETCH(QString, how);
        Tree t;
        Window win;
        QTableView *view = win.tab->computerView();
        win.tab->computer().list(t.b);
        // Into photos with a double-click on its row.
        view->selectRow(win.tab->computerModel()->rowOf(u"[photos]"_qs));
        win.tab->computer().openCurrentRow();
        QCOMPARE(win.tab->computerPath(), t.b + u"photos/"_qs);
        QCOMPARE(captions(win.tab->computerModel()), QStringList{u"[..]"_qs});

        if (how == u"backspace")
            QTest::keyClick(view, Qt::Key_Backspace);
        else if (how == u"button")
            QTest::mouseClick(win.child<QPushButton>("Button2"), Qt::LeftButton);
        else if (how == u"row") {
            view->selectRow(0);
            win.tab->computer().openCurrentRow();
        } else {
            view->selectRow(0);
            QTest::keyClick(view, Qt::Key_Return);
        }
        QCOMPARE(win.tab->computerPath(), t.b);
        QCOMPARE(currentCaption(view), u"[photos]"_qs);
        QCOMPARE(win.tab->selectedCaptions(ExplorerTab::Pane::Computer), QStringList{u"[photos]"_qs});
    }

    void rootButtonListsTheRoot()
    {
        Tree t;
        Window win;
        win.tab->computer().list(t.b);
        QTest::mouseClick(win.child<QPushButton>("Button1"), Qt::LeftButton);
        QCOMPARE(win.tab->computerPath(), QDir::rootPath());
        QVERIFY(!win.child("Button1")->isEnabled());
    }

    void enterOnAFileOpensIt()
    {
        Tree t;
        Window win;
        explorertest::OpenedFiles openedFiles;
        QStringList &opened = openedFiles.paths;
        win.tab->computer().list(t.b);
        win.tab->computerView()->selectRow(win.tab->computerModel()->rowOf(u"alpha.txt"_qs));
        QTest::keyClick(win.tab->computerView(), Qt::Key_Enter);
        QCOMPARE(opened, QStringList{t.b + u"alpha.txt"_qs});
        QCOMPARE(win.tab->computerPath(), t.b);
    }

    void unreadableFolderGivesAnEmptyPane_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << u"missing"_qs;
        QTest::newRow("a file") << u"file"_qs;
        QTest::newRow("no permission") << u"locked"_qs;
    }
    void unreadableFolderGivesAnEmptyPane()
    {
        QFETCH(QString, kind);
        Tree t;
        QString path = t.b + u"missing/"_qs;
        if (kind == u"file")
            path = t.b + u"alpha.txt/"_qs;
        if (kind == u"locked") {
            if (::geteuid() == 0)
                QSKIP("permissions do not stop the superuser");
            path = t.b + u"photos/"_qs;
            QVERIFY(QFile::setPermissions(path, {}));
        }
        Window win;
        win.tab->computer().list(path);
        if (kind == u"locked")
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(win.tab->computerModel()->rowCount(), 0);
        QCOMPARE(win.tab->computerPath(), path);
        QCOMPARE(win.child<QLabel>("sPCCesta")->text(), QDir::toNativeSeparators(path));
        QVERIFY(win.w->findChildren<QMessageBox *>().isEmpty());
        // The way back still works.
        win.tab->computer().goUp();
        QCOMPARE(win.tab->computerPath(), t.b);
    }

    void folderKeptFromOneRunToTheNext()
    {
        Tree t;
        QFile::remove(vtest::home() + u"/settings.ini"_qs);
        {
            Window first;
            // The closing settings go only into an existing key, as after the settings window.
            QVERIFY(first.w->settingsStore().saveAfterSettingsWindow(first.w->appSettings()));
            first.tab->computer().list(t.b + u"photos"_qs);
            first.w->close();
        }
        Window second;
        QCOMPARE(second.tab->computerPath(), t.b + u"photos/"_qs);
        second.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(second.w.get()));
        QTRY_COMPARE(second.w->findChild<QLabel *>(u"sPCCesta"_qs)->text(), QDir::toNativeSeparators(t.b + u"photos/"_qs));
        QCOMPARE(captions(second.tab->computerModel()), QStringList{u"[..]"_qs});
        QFile::remove(vtest::home() + u"/settings.ini"_qs);
    }

    void iconsFollowTheSetting()
    {
        Tree t;
        Window win;
        win.tab->computer().list(t.b);
        const QModelIndex first = win.tab->computerModel()->index(1, 0);
        QVERIFY(!first.data(Qt::DecorationRole).isValid());
        win.w->appSettings().ikony = true;
        emit win.w->settingsApplied();
        QVERIFY(first.data(Qt::DecorationRole).isValid());
        win.w->appSettings().ikony = false;
        emit win.w->settingsApplied();
        QVERIFY(!first.data(Qt::DecorationRole).isValid());
    }
};
VANDREL_TEST(ExplorerComputerPaneTest)

class ExplorerTabTest : public QObject {
    Q_OBJECT
private slots:
    void activePaneFollowsKeysAndClicks()
    {
        Window win;
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        auto *pcBar = win.child<QLabel>("sPCCesta");
        auto *phoneBar = win.child<QLabel>("sMOCesta");
        const QColor active = win.tab->palette().color(QPalette::Active, QPalette::Highlight);
        auto barColour = [](QLabel *bar) { return bar->palette().color(QPalette::Window); };

        QCOMPARE(win.tab->activePane(), ExplorerTab::Pane::Computer);
        QCOMPARE(barColour(pcBar), active);
        QVERIFY(barColour(phoneBar) != active);

        QTest::keyClick(win.tab->computerView(), Qt::Key_Right);
        QCOMPARE(win.tab->activePane(), ExplorerTab::Pane::Phone);
        QCOMPARE(barColour(phoneBar), active);
        QVERIFY(barColour(pcBar) != active);

        QTest::keyClick(win.tab->phoneView(), Qt::Key_Left);
        QCOMPARE(win.tab->activePane(), ExplorerTab::Pane::Computer);

        QTest::mouseClick(win.tab->phoneView()->viewport(), Qt::LeftButton);
        QCOMPARE(win.tab->activePane(), ExplorerTab::Pane::Phone);
        QTest::mouseClick(pcBar, Qt::LeftButton);
        QCOMPARE(win.tab->activePane(), ExplorerTab::Pane::Computer);
        QTest::mouseClick(phoneBar, Qt::LeftButton);
        QCOMPARE(win.tab->activePane(), ExplorerTab::Pane::Phone);
        // Listing the computer pane makes it the active one.
        win.tab->computer().list(QDir::rootPath());
        QCOMPARE(win.tab->activePane(), ExplorerTab::Pane::Computer);
    }

    void commandButtons()
    {
        Window win;
        win.w->resize(1200, 700);
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        const QList<std::pair<const char *, const char *>> pairs{
            {"sbKopirovat", "pKopirovat"}, {"sbEditovat", "Editovat1"}, {"sbNacist", "pAktualizovat"},
            {"sbPrejmenovat", "pPrejmenovat"}, {"sbAdresar", "pNovyadresar"}, {"sbSmazat", "pSmazat"}};
        int lastX = -1;
        for (const auto &[button, actionName] : pairs) {
            auto *b = win.child<QPushButton>(button);
            QVERIFY2(b, button);
            QAction *a = win.w->action(QString::fromLatin1(actionName));
            QCOMPARE(b->text(), shortcutCaption(a->shortcut(), a->text()));
            QVERIFY(b->text().contains(a->shortcut().toString(QKeySequence::PortableText)));
            // Left to right, in one row, each a sixth of the width (give or take the separators).
            QVERIFY(b->x() > lastX);
            lastX = b->x();
            QCOMPARE(b->mapTo(win.w.get(), QPoint()).y(),
                     win.child<QPushButton>("sbKopirovat")->mapTo(win.w.get(), QPoint()).y());
            QVERIFY(qAbs(b->width() - win.tab->width() / 6) <= 8);
            QSignalSpy triggered(a, &QAction::triggered);
            QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(triggered.size(), 1);
        }
        // A new shortcut shows on its button after the settings window.
        win.w->action(u"pAktualizovat"_qs)->setShortcut(QKeySequence(Qt::Key_F9));
        emit win.w->settingsApplied();
        QVERIFY(win.child<QPushButton>("sbNacist")->text().startsWith(u"F9 "_qs));
    }

    void panesShareTheWidthAndNameTakesTheRest()
    {
        QTemporaryDir many;
        for (int i = 0; i < 200; ++i)
            touch(many.filePath(u"f%1.txt"_qs.arg(i, 3, 10, QLatin1Char('0'))));
        Window win;
        win.w->resize(1000, 600);
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        QTableView *pc = win.tab->computerView();
        QTableView *phone = win.tab->phoneView();
        QVERIFY(qAbs(pc->width() - phone->width()) <= 1);
        QVERIFY(phone->x() > pc->x() + pc->width());
        // Few rows: "Jméno" = pane width - 90 - date - 5; the date column is 130 wide, or as
        // wide as the font needs for a whole time.
        const int date = phone->columnWidth(2);
        QVERIFY(date >= 130);
        QVERIFY(date >= phone->fontMetrics().horizontalAdvance(u"00.00.0000 00:00:00"_qs));
        QCOMPARE(phone->columnWidth(0), phone->width() - 95 - date);
        QCOMPARE(phone->columnWidth(1), 90);
        // More rows than the pane shows: another 16 less.
        win.tab->computer().list(many.path());
        QCOMPARE(pc->columnWidth(0), pc->width() - 95 - date - 16);
        win.w->resize(1300, 650);
        QTRY_COMPARE(pc->columnWidth(0), pc->width() - 95 - date - 16);
        QVERIFY(qAbs(pc->width() - phone->width()) <= 1);
        QCOMPARE(phone->columnWidth(0), phone->width() - 95 - date);
    }

    void dropBuildsTheDroppedList()
    {
        Tree t;
        QDir().mkpath(t.dir.filePath(u"docs"_qs));
        touch(t.dir.filePath(u"a.txt"_qs), "a");
        Window win;
        win.tab->computer().list(t.b);
        QStringList got;
        QString pathDuringCopy;
        ExplorerTab::Pane paneDuringCopy = ExplorerTab::Pane::Phone;
        win.tab->setDropHandler([&](const QStringList &dropped) {
            got = dropped;
            pathDuringCopy = win.tab->computerPath();
            paneDuringCopy = win.tab->activePane();
        });
        win.tab->activatePhonePane();

        // What the desktop drops arrives at the view as file URLs, in its order.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(t.dir.filePath(u"docs"_qs)), QUrl::fromLocalFile(t.dir.filePath(u"a.txt"_qs))});
        QuillView *view = win.tab->phoneView();
        QVERIFY(view->acceptDrops());
        const QPoint at = view->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);

        QCOMPARE(got, (QStringList{u"[docs]"_qs, u"a.txt"_qs}));
        QCOMPARE(pathDuringCopy, t.dir.path() + QLatin1Char('/'));
        QCOMPARE(paneDuringCopy, ExplorerTab::Pane::Computer);
        // Afterwards the computer pane shows its folder again.
        QCOMPARE(win.tab->computerPath(), t.b);
        QCOMPARE(win.tab->computerModel()->rowOf(u"[photos]"_qs) >= 0, true);
    }

    void dropOfSomethingElseIsRefused()
    {
        Window win;
        bool called = false;
        win.tab->setDropHandler([&](const QStringList &) { called = true; });
        QMimeData data;
        data.setUrls({QUrl(u"https://example.org/a.txt"_qs)});
        QuillView *view = win.tab->phoneView();
        const QPoint at = view->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QMimeData text;
        text.setText(u"/etc/passwd"_qs);
        QDropEvent drop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
        QVERIFY(!called);
    }

    // Nothing is copied into the phone's root (and nothing without a connection): no question.
    void dropAtPhoneRootDoesNothing()
    {
        Tree t;
        Window win;
        win.tab->computer().list(t.b);
        win.tab->dropOnPhonePane({t.b + u"alpha.txt"_qs});
        QTest::qWait(20);
        QVERIFY(!win.w->findChild<QMessageBox *>());
        QCOMPARE(win.tab->computerPath(), t.b);
    }

    void driveBox()
    {
        QTemporaryDir home;
        const QByteArray savedHome = qgetenv("HOME");
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u".config"_qs)));
        Window win;
        auto *box = win.child<QComboBox>("Combo1");
        QVERIFY(box->count() >= 3);
        // The root first, as a fixed drive, selected; desktop and documents last.
        QVERIFY(box->itemText(0).startsWith(u"/  "_qs));
        QCOMPARE(box->itemText(0), u"/  "_qs + win.w->message(explorer::driveTypeMessage(explorer::DriveType::Fixed), u"pevný disk"_qs));
        QCOMPARE(box->itemText(box->count() - 2), win.w->message(Msg::DriveDesktop, u"Plocha"_qs));
        QCOMPARE(box->itemText(box->count() - 1), win.w->message(Msg::DriveDocuments, u"Dokumenty"_qs));
        QCOMPARE(box->currentIndex(), 0);
        const QRegularExpression label(u"^.*\\d k .*\\d k$"_qs);
        QVERIFY2(label.match(win.child<QLabel>("Label1")->text()).hasMatch(),
                 qPrintable(win.child<QLabel>("Label1")->text()));

        // No desktop folder: nothing changes.
        Tree t;
        win.tab->computer().list(t.b);
        win.tab->computer().selectDrive(box->count() - 2);
        QCOMPARE(win.tab->computerPath(), t.b);
        // With one: it is listed.
        QVERIFY(QDir(home.path()).mkpath(u"Desktop"_qs));
        touch(home.filePath(u"Desktop/note.txt"_qs), "n");
        win.tab->computer().selectDrive(box->count() - 2);
        QCOMPARE(win.tab->computerPath(), home.filePath(u"Desktop"_qs) + QLatin1Char('/'));
        QVERIFY(win.tab->computerModel()->rowOf(u"note.txt"_qs) >= 0);
        // A volume lists its root.
        win.tab->computer().selectDrive(0);
        QCOMPARE(win.tab->computerPath(), u"/"_qs);

        qputenv("HOME", savedHome);
        if (savedConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    void accessBoxAndTabSwitch()
    {
        Window win;
        auto *box = win.child<QComboBox>("Combo2");
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), u"OBEX"_qs);
        QCOMPARE(box->itemText(1), u"BREW"_qs);
        QCOMPARE(box->currentIndex(), 0);
        // Disconnected: the box only chooses what the next connection uses.
        box->setCurrentIndex(1);
        emit box->activated(1);
        QCOMPARE(win.w->connection().accessMode(), AccessMode::Brew);
        box->setCurrentIndex(0);
        emit box->activated(0);
        QCOMPARE(win.w->connection().accessMode(), AccessMode::Obex);
        // Coming back to the explorer the box shows the mode in use.
        win.w->tabs()->setCurrentIndex(MainWindow::Sms);
        win.w->connection().setAccessMode(AccessMode::Brew);
        win.w->tabs()->setCurrentIndex(MainWindow::Explorer);
        QCOMPARE(box->currentIndex(), 1);
    }

    void phoneButtonsStartDisabled()
    {
        Window win;
        for (const char *name : {"Button3", "Button5", "Button17"})
            QVERIFY2(!win.child(name)->isEnabled(), name);
        QVERIFY(win.child("Button16")->isEnabled());
        QCOMPARE(win.child("Button16")->toolTip(), win.w->message(Msg::FavouritesHint, u"Oblíbené adresáře"_qs));
        QCOMPARE(win.tab->phoneModel()->rowCount(), 0);
        // Moves need a connection: nothing happens without one.
        win.tab->phone().enter(u"mmc"_qs);
        QVERIFY(win.w->connection().obexPath().isEmpty());
    }
};
VANDREL_TEST(ExplorerTabTest)

#include "tst_explorer.moc"
