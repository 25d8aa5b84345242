// The explorer tab against the virtual phone: connect, browse into phone folders and back up.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "phonewindow.h"

#include <ui/transferwindow.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

using namespace phonewindow;
using explorertest::captions;
using explorertest::currentCaption;

class ExplorerPhoneTest : public QObject {
    Q_OBJECT
private slots:
    void browseIntoAFolderAndBack_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("seed 1") << 1u;
        QTest::newRow("seed 77") << 77u;
    }
    void browseIntoAFolderAndBack()
    {
        QFETCH(quint32, seed);
        PhoneWindow pw(seed);
        QVERIFY(QTest::qWaitForWindowExposed(pw.w.get()));
        ExplorerTab *tab = pw.tab;
        QuillView *view = tab->phoneView();
        const DirTableModel *model = tab->phoneModel();
        QAbstractItemModelTester tester(tab->phoneModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        auto *rootButton = pw.w->findChild<QPushButton *>(QStringLiteral("Button3"));
        auto *upButton = pw.w->findChild<QPushButton *>(QStringLiteral("Button5"));
        auto *pathBar = pw.w->findChild<QLabel *>(QStringLiteral("sMOCesta"));
        auto *memory = pw.w->findChild<QLabel *>(QStringLiteral("Label2"));

        // Connecting lists the phone's root: its two memories, no "[..]".
        pw.w->connection().toggleConnection();
        QVERIFY(listed(tab));
        QCOMPARE(captions(model), pw.expectedCaptions(QString()));
        QVERIFY(captions(model).contains(QStringLiteral("[mmc]")));
        QCOMPARE(currentCaption(view), captions(model).first());
        QCOMPARE(tab->activePane(), ExplorerTab::Pane::Phone);
        QVERIFY(!rootButton->isEnabled());
        QVERIFY(!upButton->isEnabled());
        QVERIFY(pw.w->findChild<QPushButton *>(QStringLiteral("Button17"))->isEnabled());
        QCOMPARE(pathBar->text(), QString());

        // Into "mmc" with Enter on its row: the hourglass while the listing runs.
        view->selectRow(model->rowOf(QStringLiteral("[mmc]")));
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(view->cursor().shape(), Qt::WaitCursor);
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(listed(tab));
        QCOMPARE(captions(model), pw.expectedCaptions(QStringLiteral("mmc")));
        QCOMPARE(currentCaption(view), QStringLiteral("[..]"));
        QCOMPARE(pathBar->text(), QStringLiteral("mmc\\"));
        QVERIFY(rootButton->isEnabled());
        QVERIFY(upButton->isEnabled());
        QVERIFY(!memory->text().isEmpty()); // a top-level folder shows its memory

        // One level further with a double-click, into the first folder of mmc.
        const QString sub = model->caption(1);
        QVERIFY2(explorer::isFolderCaption(sub), qPrintable(sub));
        view->selectRow(1);
        tab->phone().openCurrentRow();
        QVERIFY(listed(tab));
        const QString subName = explorer::bareName(sub);
        QCOMPARE(captions(model), pw.expectedCaptions(QStringLiteral("mmc/") + subName));
        QCOMPARE(pathBar->text(), QStringLiteral("mmc\\") + subName + QLatin1Char('\\'));
        // The file rows carry the sizes the phone has on disk.
        for (int i = 0; i < model->rowCount(); ++i) {
            const DirEntry *e = model->entry(i);
            if (!e->isFolder)
                QCOMPARE(e->sizeText,
                         QString::number(QFileInfo(phonesim::obexRootOf(pw.dir.filePath(QStringLiteral("phone"))) +
                                                   QStringLiteral("/mmc/") + subName + QLatin1Char('/') + e->name)
                                             .size()));
        }

        // Back up through "[..]": the folder left is selected.
        view->selectRow(0);
        tab->phone().openCurrentRow();
        QVERIFY(listed(tab));
        QCOMPARE(captions(model), pw.expectedCaptions(QStringLiteral("mmc")));
        QCOMPARE(currentCaption(view), sub);
        QCOMPARE(tab->selectedCaptions(ExplorerTab::Pane::Phone), QStringList{sub});

        // ".." to the root: "[mmc]" selected, both buttons off, the memory label cleared.
        QTest::mouseClick(upButton, Qt::LeftButton);
        QVERIFY(listed(tab));
        QCOMPARE(captions(model), pw.expectedCaptions(QString()));
        QCOMPARE(currentCaption(view), QStringLiteral("[mmc]"));
        QVERIFY(!rootButton->isEnabled());
        QVERIFY(!upButton->isEnabled());
        QCOMPARE(memory->text(), QString());

        // Two levels down, then "\" goes straight to the root.
        view->selectRow(model->rowOf(QStringLiteral("[mmc]")));
        tab->phone().openCurrentRow();
        QVERIFY(listed(tab));
        view->selectRow(1);
        tab->phone().openCurrentRow();
        QVERIFY(listed(tab));
        QTest::mouseClick(rootButton, Qt::LeftButton);
        QVERIFY(listed(tab));
        QCOMPARE(captions(model), pw.expectedCaptions(QString()));
        QCOMPARE(pathBar->text(), QString());
        QVERIFY(pw.w->connection().obexPath().isEmpty());

        QVERIFY(pw.w->findChildren<QMessageBox *>().isEmpty());
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));

        // Disconnecting empties the phone pane.
        pw.w->connection().toggleConnection();
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(!pw.w->findChild<QPushButton *>(QStringLiteral("Button17"))->isEnabled());
    }

    void tabSwitchRelistsAndAccessBoxSwitchesPorts()
    {
        PhoneWindow pw(9);
        ExplorerTab *tab = pw.tab;
        QVERIFY(pw.connectAndEnter(QStringLiteral("user")));
        const QStringList inUser = captions(tab->phoneModel());

        // Away to the SMS tab and back: the same folder is listed again.
        pw.w->tabs()->setCurrentIndex(MainWindow::Sms);
        pw.w->tabs()->setCurrentIndex(MainWindow::Explorer);
        QCOMPARE(tab->phoneView()->cursor().shape(), Qt::WaitCursor);
        QVERIFY(listed(tab));
        QCOMPARE(captions(tab->phoneModel()), inUser);
        QCOMPARE(pw.w->findChild<QComboBox *>(QStringLiteral("Combo2"))->currentIndex(), 0);

        // "BREW" while connected over OBEX: the modem port closes, the diagnostic one opens.
        tab->phone().chooseAccess(1);
        QTRY_VERIFY_WITH_TIMEOUT(pw.w->phoneLink().diagPort()->isOpen(), 10000);
        QVERIFY(!pw.w->phoneLink().modemPort()->isOpen());
        QCOMPARE(pw.w->connection().accessMode(), AccessMode::Brew);
        // Choosing what is already in use changes nothing.
        tab->phone().chooseAccess(1);
        QVERIFY(pw.w->phoneLink().diagPort()->isOpen());
        // And back to OBEX: the phone's root again.
        tab->phone().chooseAccess(0);
        QTRY_VERIFY_WITH_TIMEOUT(pw.w->phoneLink().modemPort()->isOpen(), 10000);
        QVERIFY(listed(tab));
        QVERIFY(!pw.w->phoneLink().diagPort()->isOpen());
        QCOMPARE(pw.w->connection().accessMode(), AccessMode::Obex);
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }

    // Ctrl+T from the computer pane sends the selected file into the phone folder shown, and from
    // the phone pane fetches it into the computer folder; each after the copy question.
    void copyBothWays()
    {
        PhoneWindow pw(21);
        ExplorerTab *tab = pw.tab;
        QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
        QTemporaryDir local;
        const QByteArray content = QByteArrayLiteral("Ahoj z počítače\n").repeated(700);
        {
            QFile f(local.filePath(QStringLiteral("note.txt")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        auto answerYes = [&] {
            QMessageBox *q = nullptr;
            if (!QTest::qWaitFor([&] { return (q = pw.w->findChild<QMessageBox *>(QStringLiteral("QuestionBox"))); }, 5000))
                return false;
            q->button(QMessageBox::Yes)->click();
            return true;
        };
        auto transferDone = [&] {
            return QTest::qWaitFor([&] { return pw.w->findChild<TransferWindow *>() != nullptr; }, 5000) &&
                   QTest::qWaitFor([&] { return !pw.w->findChild<TransferWindow *>(); }, 20000);
        };

        tab->computer().list(local.path());
        tab->computerView()->selectRow(tab->computerModel()->rowOf(QStringLiteral("note.txt")));
        tab->activateComputerPane();
        pw.w->action(QStringLiteral("pKopirovat"))->trigger();
        QVERIFY(answerYes());
        QVERIFY(transferDone());
        const QString onPhone = phonesim::obexRootOf(pw.dir.filePath(QStringLiteral("phone"))) + QStringLiteral("/mmc/note.txt");
        QFile sent(onPhone);
        QVERIFY(sent.open(QIODevice::ReadOnly));
        QCOMPARE(sent.readAll(), content);
        QVERIFY(listed(tab));
        QVERIFY(tab->phoneModel()->rowOf(QStringLiteral("note.txt")) >= 0);

        QTemporaryDir back;
        tab->computer().list(back.path());
        tab->phoneView()->selectRow(tab->phoneModel()->rowOf(QStringLiteral("note.txt")));
        tab->activatePhonePane();
        pw.w->action(QStringLiteral("pKopirovat"))->trigger();
        QVERIFY(answerYes());
        QVERIFY(transferDone());
        QFile fetched(back.filePath(QStringLiteral("note.txt")));
        QVERIFY(fetched.open(QIODevice::ReadOnly));
        QCOMPARE(fetched.readAll(), content);
        QTRY_VERIFY(tab->computerModel()->rowOf(QStringLiteral("note.txt")) >= 0);
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }

    void emptyFolderShowsOnlyTheParentRow()
    {
        PhoneWindow pw(5);
        ExplorerTab *tab = pw.tab;
        QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
        const int empty = tab->phoneModel()->rowOf(QString::fromUtf8("[Prázdná složka]"));
        QVERIFY(empty > 0);
        tab->phoneView()->selectRow(empty);
        tab->phone().openCurrentRow();
        QVERIFY(listed(tab));
        QCOMPARE(captions(tab->phoneModel()), QStringList{QStringLiteral("[..]")});
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }
};
VANDREL_TEST(ExplorerPhoneTest)

#endif

#include "tst_explorer_phone.moc"
