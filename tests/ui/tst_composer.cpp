// The composer against the virtual phone: opened from the SMS tab, sending, the service-centre
// prompt and the queue.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "phonewindow.h"

#include <core/phonebook/sidelines.h>
#include <ui/sms/composerwindow.h>
#include <ui/sms/smstab.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>

using namespace phonewindow;

namespace {

struct ComposerRig : PhoneWindow {
    SmsTab *sms = nullptr;

    explicit ComposerRig(quint32 seed, const QString &centre) : PhoneWindow(seed)
    {
        QFile::remove(vtest::home() + QStringLiteral("/Odeslat.vdl"));
        QFile book(vtest::home() + QStringLiteral("/addr.vdl"));
        if (book.open(QIODevice::WriteOnly))
            book.write(phonebook::writeSideLines({QStringLiteral("Ústředna$&@602;;;;"), QStringLiteral("Jan Novák$&@602123456;731000111;;;"),
                                                  QStringLiteral("čert$&@111;;;;"), QStringLiteral("Cyril$&@222;;;;"),
                                                  QStringLiteral("dana$&@333;;;;")}));
        book.close();
        w->settingsStore().backend().remove(settings::key::serviceCentre);
        if (!centre.isEmpty())
            w->settingsStore().saveServiceCentre(centre);
        w->settingsStore().savePlainLetters(false);
        sms = w->findChild<SmsTab *>(QStringLiteral("SmsTab"));
        w->tabs()->setCurrentIndex(MainWindow::Sms);
        w->connection().toggleConnection();
    }
    bool connected() const
    {
        return QTest::qWaitFor([&] { return w->connection().isConnected() && !w->connection().connectWindow(); }, 10000);
    }
    ComposerWindow *openWith(const char *button)
    {
        w->findChild<QPushButton *>(QString::fromLatin1(button))->click();
        ComposerWindow *c = nullptr;
        (void)QTest::qWaitFor([&] { return (c = w->findChild<ComposerWindow *>(QStringLiteral("TForm7"))) != nullptr; }, 5000);
        return c;
    }
    QString boxText()
    {
        auto *box = visible<QMessageBox>();
        if (!box)
            return {};
        const QString text = box->text();
        box->accept();
        return text;
    }
};

template <class T>
T *part(ComposerWindow *c, const char *name)
{
    return c->findChild<T *>(QString::fromLatin1(name));
}

QStringList items(QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

class ComposerWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Reply from the list: the contact preselected in Czech order, counters, "Bez diakritiky", sent.
    void replyAndSend()
    {
        ComposerRig rig(61, QStringLiteral("+420603111222"));
        QVERIFY(rig.connected());
        QSignalSpy listed(rig.sms, &SmsTab::listed);
        rig.w->findChild<QRadioButton *>(QStringLiteral("Radio2"))->setChecked(true);
        rig.w->findChild<QPushButton *>(QStringLiteral("bNacist"))->click();
        QVERIFY(listed.wait(10000));
        int row = -1;
        for (int r = 0; r < rig.sms->model()->rowCount(); ++r)
            if (rig.sms->model()->row(r)->indexesText() == QStringLiteral("1"))
                row = r;
        rig.sms->view()->selectRow(row);
        ComposerWindow *c = rig.openWith("Button8");
        QVERIFY(c);
        QSignalSpy ready(c, &ComposerWindow::ready);
        QVERIFY(ready.wait(5000));
        auto *names = part<QComboBox>(c, "Combo1");
        // Czech order: Č after C, whatever the case.
        QCOMPARE(items(names), (QStringList{QStringLiteral("Cyril"), QStringLiteral("čert"), QStringLiteral("dana"),
                                            QStringLiteral("Jan Novák"), QStringLiteral("Ústředna")}));
        QCOMPARE(names->currentText(), QStringLiteral("Jan Novák"));
        auto *number = part<QComboBox>(c, "Combo2");
        QCOMPARE(items(number), (QStringList{QStringLiteral("602123456"), QStringLiteral("731000111")}));
        QCOMPARE(number->currentText(), QStringLiteral("+420602123456"));

        auto *text = part<QPlainTextEdit>(c, "RichSMS");
        auto *count = part<QLabel>(c, "Label3");
        auto *parts = part<QLabel>(c, "Label6");
        text->setPlainText(QString(159, u'a') + QStringLiteral("€"));
        QCOMPARE(count->text(), QStringLiteral("161 / 755"));
        QCOMPARE(parts->text(), QStringLiteral("2"));
        text->setPlainText(QStringLiteral("Čau, jak se máš?"));
        QCOMPARE(count->text(), QStringLiteral("16 / 335 UCS-2"));
        part<QCheckBox>(c, "plainLetters")->setChecked(true);
        QCOMPARE(count->text(), QStringLiteral("16 / 755"));
        QCOMPARE(parts->text(), QStringLiteral("1"));
        part<QCheckBox>(c, "status")->setChecked(true);

        QSignalSpy finished(c, &ComposerWindow::sendFinished);
        part<QPushButton>(c, "bOdeslat")->click();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(rig.boxText(), rig.w->message(Msg::MessageSent));
        const auto &sent = rig.phone.sentMessages();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().content.text, QStringLiteral("Cau, jak se mas?"));
        QCOMPARE(sent.first().content.number, QStringLiteral("+420602123456"));
        QVERIFY(sent.first().content.statusReport);
        c->close();
        QVERIFY(rig.w->appSettings().statusreport);
        QVERIFY(rig.w->settingsStore().plainLetters());
        QVERIFY2(rig.phone.anomalies().isEmpty(), qPrintable(rig.phone.anomalies().join(u'\n')));
    }

    // No stored centre: the prompt offers the phone's own; a bad change is refused.
    void serviceCentre()
    {
        ComposerRig rig(62, {});
        QVERIFY(rig.connected());
        ComposerWindow *c = rig.openWith("button9");
        QVERIFY(c);
        auto *prompt = rig.visible<QInputDialog>(QStringLiteral("InputBox"));
        QVERIFY(prompt);
        QCOMPARE(prompt->textValue(), QStringLiteral("+420603052000"));
        QSignalSpy ready(c, &ComposerWindow::ready);
        prompt->setTextValue(QStringLiteral("420603111222"));
        prompt->accept();
        QVERIFY(ready.wait(5000));
        QCOMPARE(rig.w->settingsStore().serviceCentre(), QStringLiteral("+420603111222"));

        part<QPushButton>(c, "Button2")->click();
        prompt = rig.visible<QInputDialog>(QStringLiteral("InputBox"));
        QVERIFY(prompt);
        prompt->setTextValue(QStringLiteral("+42060311"));
        prompt->accept();
        QCOMPARE(rig.boxText(), rig.w->message(Msg::InvalidServiceCentre));
        QCOMPARE(rig.w->settingsStore().serviceCentre(), QStringLiteral("+420603111222"));

        // An eight-digit number is refused before anything is sent.
        part<QComboBox>(c, "Combo2")->setEditText(QStringLiteral("12345678"));
        part<QPlainTextEdit>(c, "RichSMS")->setPlainText(QStringLiteral("x"));
        part<QPushButton>(c, "bOdeslat")->click();
        QCOMPARE(rig.boxText(), rig.w->message(Msg::InvalidServiceCentre));
        QVERIFY(rig.phone.sentMessages().isEmpty());
        c->close();
    }

    // Queued with a line break, kept across composers, restored when chosen.
    void queue()
    {
        ComposerRig rig(63, QStringLiteral("+420603111222"));
        QVERIFY(rig.connected());
        ComposerWindow *c = rig.openWith("button9");
        QVERIFY(c);
        QSignalSpy ready(c, &ComposerWindow::ready);
        QVERIFY(ready.wait(5000));
        part<QComboBox>(c, "Combo1")->setCurrentIndex(0);
        part<QComboBox>(c, "Combo2")->setEditText(QStringLiteral("222"));
        part<QPlainTextEdit>(c, "RichSMS")->setPlainText(QStringLiteral("Привет\nна два řádky"));
        part<QMenu>(c, "PopupMenu1")->actions().first()->trigger();
        QCOMPARE(part<QComboBox>(c, "ComboBox1")->count(), 1);
        c->close();
        QTRY_VERIFY(rig.w->findChild<ComposerWindow *>() == nullptr);

        c = rig.openWith("button9");
        QVERIFY(c);
        QSignalSpy again(c, &ComposerWindow::ready);
        QVERIFY(again.wait(5000));
        auto *queue = part<QComboBox>(c, "ComboBox1");
        QCOMPARE(queue->count(), 1);
        emit queue->activated(0);
        QCOMPARE(part<QPlainTextEdit>(c, "RichSMS")->toPlainText(), QStringLiteral("Привет\nна два řádky"));
        QCOMPARE(part<QComboBox>(c, "Combo2")->currentText(), QStringLiteral("222"));
        QCOMPARE(part<QComboBox>(c, "Combo1")->currentText(), QStringLiteral("Cyril"));
        QCOMPARE(queue->count(), 0);
        c->close();
    }
};

VANDREL_TEST(ComposerWindowTest)
#include "tst_composer.moc"

#endif
