// The explorer's commands in BREW access against the virtual phone: copies both ways through
// the BREW transfer window, delete, new folder, opening a phone file, and a drop.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "phonewindow.h"

#include <link/paths.h>
#include <ui/transferwindow.h>
#include <ui/shell.h>

#include <QAction>
#include <QFile>
#include <QInputDialog>

using namespace phonewindow;
using explorertest::captions;

namespace {

struct BrewWindowRig : PhoneWindow {
    QTemporaryDir local;

    explicit BrewWindowRig(quint32 seed) : PhoneWindow(seed) {}

    QString brew(const QString &relative) const
    {
        return phonesim::brewRootOf(dir.filePath(QStringLiteral("phone"))) + QLatin1Char('/') + relative;
    }
    bool brewWindowDone() const
    {
        return QTest::qWaitFor([&] { return w->findChild<TransferWindow *>() != nullptr; }, 5000) &&
               QTest::qWaitFor([&] { return !w->findChild<TransferWindow *>(); }, 30000);
    }
    void selectRows(QTableView *view, const DirTableModel *model, const QStringList &rows)
    {
        view->clearSelection();
        for (const QString &r : rows)
            view->selectionModel()->select(model->index(model->rowOf(r), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    bool clean() const { return phone.anomalies().isEmpty(); }
};

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A stand-in editor: a shell script given the file as its one argument.
QString fakeEditor(const QTemporaryDir &dir, const QByteArray &body)
{
    const QString path = dir.filePath(u"editor.sh"_qs);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("#!/bin/sh\n" + body + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class ExplorerBrewCommandsTest : public QObject {
    Q_OBJECT
private slots:
    // A folder and a file to the phone and back again, each after the copy question.
    void copyBothWays()
    {
        BrewWindowRig r(51);
        ExplorerTab *tab = r.tab;
        QVERIFY(r.connectBrewInto({u"brew"_qs, u"shared"_qs}));
        write(r.local.filePath(u"out/pics/a.bin"_qs), QByteArray(3000, 'a'));
        write(r.local.filePath(u"out/pics/b.bin"_qs), "bee");
        write(r.local.filePath(u"out/note.txt"_qs), "note");
        tab->computer().list(r.local.filePath(u"out"_qs));
        r.selectRows(tab->computerView(), tab->computerModel(), {u"[..]"_qs, u"[pics]"_qs, u"note.txt"_qs});
        tab->activateComputerPane();
        r.w->action(u"pKopirovat"_qs)->trigger();
        QVERIFY(answer(r.w.get(), QMessageBox::Yes));
        QVERIFY(r.brewWindowDone());
        QCOMPARE(read(r.brew(u"brew/shared/pics/a.bin"_qs)), QByteArray(3000, 'a'));
        QCOMPARE(read(r.brew(u"brew/shared/pics/b.bin"_qs)), QByteArray("bee"));
        QCOMPARE(read(r.brew(u"brew/shared/note.txt"_qs)), QByteArray("note"));
        // The pane shows the phone folder as it now is.
        QTRY_VERIFY(tab->phoneModel()->rowOf(u"[pics]"_qs) >= 0);
        QVERIFY(tab->phoneModel()->rowOf(u"note.txt"_qs) >= 0);
        // Each row copied is deselected; the parent row was taken out of the selection first.
        QCOMPARE(tab->selectedCaptions(ExplorerTab::Pane::Computer), QStringList{});

        QTemporaryDir back;
        tab->computer().list(back.path());
        r.selectRows(tab->phoneView(), tab->phoneModel(), {u"[pics]"_qs, u"readme.txt"_qs});
        tab->activatePhonePane();
        r.w->action(u"pKopirovat"_qs)->trigger();
        QVERIFY(answer(r.w.get(), QMessageBox::Yes));
        QVERIFY(r.brewWindowDone());
        QCOMPARE(read(back.filePath(u"pics/a.bin"_qs)), QByteArray(3000, 'a'));
        QCOMPARE(read(back.filePath(u"readme.txt"_qs)), QByteArray("BREW shared folder\r\n"));
        QTRY_VERIFY(tab->computerModel()->rowOf(u"[pics]"_qs) >= 0);
        QVERIFY2(r.clean(), qPrintable(r.phone.anomalies().join(u'\n')));
    }

    void newFolderAndDelete()
    {
        BrewWindowRig r(52);
        ExplorerTab *tab = r.tab;
        r.w->appSettings().BrewDirWarning = true;
        QVERIFY(r.connectBrewInto({u"brew"_qs}));
        tab->activatePhonePane();
        r.w->action(u"pNovyadresar"_qs)->trigger();
        QInputDialog *input = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (input = r.w->findChild<QInputDialog *>(u"InputBox"_qs)); }, 5000));
        input->setTextValue(u"nová"_qs);
        input->accept();
        QVERIFY(r.brewWindowDone());
        // The phone keeps the name's cp1250 bytes; its disk shows them escaped.
        QVERIFY(QFileInfo(r.brew(u"brew/nov%E1"_qs)).isDir());
        QTRY_VERIFY(tab->phoneModel()->rowOf(u"[nová]"_qs) >= 0);

        write(r.brew(u"brew/nov%E1/inside.txt"_qs), "x");
        r.selectRows(tab->phoneView(), tab->phoneModel(), {u"[nová]"_qs});
        tab->activatePhonePane();
        QTest::keyClick(tab->phoneView(), Qt::Key_Delete);
        QVERIFY(answer(r.w.get(), QMessageBox::Yes));  // message 60
        QVERIFY(answer(r.w.get(), QMessageBox::Yes));  // the folder warning
        QVERIFY(r.brewWindowDone());
        QVERIFY(!QFileInfo::exists(r.brew(u"brew/nov%E1"_qs)));
        QTRY_VERIFY(tab->phoneModel()->rowOf(u"[nová]"_qs) < 0);
        QVERIFY(tab->phoneModel()->rowOf(u"[mod]"_qs) >= 0);
        QVERIFY2(r.clean(), qPrintable(r.phone.anomalies().join(u'\n')));
    }

    void doubleClickOpensAPhoneFile()
    {
        BrewWindowRig r(53);
        explorertest::OpenedFiles openedFiles;
        QStringList &opened = openedFiles.paths;
        QVERIFY(r.connectBrewInto({u"brew"_qs, u"shared"_qs}));
        r.tab->activatePhonePane();
        r.tab->phoneView()->selectRow(r.tab->phoneModel()->rowOf(u"readme.txt"_qs));
        r.tab->phone().openCurrentRow();
        const bool done = QTest::qWaitFor([&] { return !opened.isEmpty(); }, 20000);
        QVERIFY(done);
        const QString target = QDir(link::workFolder()).filePath(u"readme.txt"_qs);
        QCOMPARE(opened, QStringList{target});
        QCOMPARE(read(target), QByteArray("BREW shared folder\r\n"));
    }

    // F4 on a BREW file: fetched into the work folder, edited; a saved change is offered for
    // upload (message 225), Yes writes it back and lists the folder again, No leaves the phone as is.
    void editUploadsAfterYes_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("yes");
        QTest::newRow("saved, Yes") << true << true;
        QTest::newRow("saved, No") << true << false;
        QTest::newRow("closed without saving") << false << false;
    }
    void editUploadsAfterYes()
    {
        QFETCH(bool, save);
        QFETCH(bool, yes);
        BrewWindowRig r(55);
        const QString original = u"BREW shared folder\r\n"_qs;
        r.w->appSettings().editFile = fakeEditor(r.local, save ? "printf 'edited\\n' >> \"$1\"" : "exit 0");
        QVERIFY(r.connectBrewInto({u"brew"_qs, u"shared"_qs}));
        r.tab->activatePhonePane();
        r.tab->phoneView()->selectRow(r.tab->phoneModel()->rowOf(u"readme.txt"_qs));
        r.w->action(u"Editovat1"_qs)->trigger();
        QVERIFY(r.brewWindowDone()); // the fetch
        if (!save) {
            QVERIFY(!answer(r.w.get(), QMessageBox::Yes, 2500));
            QCOMPARE(read(r.brew(u"brew/shared/readme.txt"_qs)), original.toLatin1());
            return;
        }
        QMessageBox *q = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (q = r.w->findChild<QMessageBox *>(u"QuestionBox"_qs)); }, 10000));
        QVERIFY(q->text().contains(u"readme.txt"_qs));
        QVERIFY(!q->text().contains(u"/"_qs));
        q->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        if (yes) {
            QVERIFY(r.brewWindowDone()); // the upload
            QVERIFY(listed(r.tab));
            QCOMPARE(read(r.brew(u"brew/shared/readme.txt"_qs)), (original + u"edited\n"_qs).toLatin1());
            QCOMPARE(r.tab->phoneModel()->index(r.tab->phoneModel()->rowOf(u"readme.txt"_qs), 1).data().toString(),
                     QString::number(original.size() + 7));
        } else {
            QTest::qWait(200);
            QVERIFY(!r.w->findChild<TransferWindow *>());
            QCOMPARE(read(r.brew(u"brew/shared/readme.txt"_qs)), original.toLatin1());
        }
        QVERIFY2(r.clean(), qPrintable(r.phone.anomalies().join(u'\n')));
    }

    // In BREW access a drop copies through the BREW transfer window.
    void dropCopiesThroughBrew()
    {
        BrewWindowRig r(54);
        QVERIFY(r.connectBrewInto({u"brew"_qs, u"shared"_qs}));
        write(r.local.filePath(u"docs/d.txt"_qs), "dee");
        write(r.local.filePath(u"a.txt"_qs), "ay");
        const QString before = r.tab->computerPath();
        r.tab->dropOnPhonePane({r.local.filePath(u"docs"_qs), r.local.filePath(u"a.txt"_qs)});
        QVERIFY(answer(r.w.get(), QMessageBox::Yes));
        QVERIFY(r.brewWindowDone());
        QCOMPARE(read(r.brew(u"brew/shared/docs/d.txt"_qs)), QByteArray("dee"));
        QCOMPARE(read(r.brew(u"brew/shared/a.txt"_qs)), QByteArray("ay"));
        QCOMPARE(r.tab->computerPath(), before);
        QVERIFY2(r.clean(), qPrintable(r.phone.anomalies().join(u'\n')));
    }
};
VANDREL_TEST(ExplorerBrewCommandsTest)

#endif

#include "tst_explorer_brew_commands.moc"
