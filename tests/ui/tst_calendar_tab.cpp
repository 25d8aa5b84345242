// The calendar tab against the virtual phone: the phone's file read and listed, bold days,
// and reads that fail or bring no calendar.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "phonewindow.h"

#include <ui/calendar/calendartab.h>
#include <ui/transferwindow.h>

#include <QCalendarWidget>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QTreeWidget>

using namespace phonewindow;

namespace {

struct CalendarWindow : PhoneWindow {
    CalendarTab *cal = nullptr;

    explicit CalendarWindow(quint32 seed) : PhoneWindow(seed)
    {
        cal = w->findChild<CalendarTab *>(QStringLiteral("CalendarTab"));
        w->tabs()->setCurrentIndex(MainWindow::Calendar);
        w->connection().toggleConnection();
    }
    QString phoneFile() const
    {
        return phonesim::brewRootOf(dir.filePath(QStringLiteral("phone"))) + QStringLiteral("/brew/master_events.dat");
    }
    bool load()
    {
        if (!QTest::qWaitFor([&] { return w->phoneLink().diagPort()->isOpen() && !w->connection().connectWindow(); }, 10000))
            return false;
        QSignalSpy done(cal, &CalendarTab::loaded);
        w->findChild<QPushButton *>(QStringLiteral("BitBtn14"))->click();
        return done.wait(15000) || done.count() == 1;
    }
    QList<QStringList> rows() const
    {
        QList<QStringList> out;
        for (int r = 0; r < cal->view()->topLevelItemCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < cal->view()->columnCount(); ++c)
                cells << cal->view()->topLevelItem(r)->text(c);
            out << cells;
        }
        return out;
    }
    QMessageBox *box(const char *name) const
    {
        QMessageBox *found = nullptr;
        (void)QTest::qWaitFor([&] {
            for (auto *b : w->findChildren<QMessageBox *>(QString::fromLatin1(name)))
                if (b->isVisible())
                    found = b;
            return found != nullptr;
        }, 5000);
        return found;
    }
};

bool bold(const QCalendarWidget *m, QDate d) { return m->dateTextFormat(d).fontWeight() == QFont::Bold; }

} // namespace

class CalendarTabTest : public QObject {
    Q_OBJECT
private slots:
    void phoneCalendarListed_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("split 3") << 3u;
        QTest::newRow("split 17") << 17u;
    }
    void phoneCalendarListed()
    {
        QFETCH(quint32, seed);
        CalendarWindow cw(seed);
        // At start the month view shows today.
        QCOMPARE(cw.cal->monthView()->selectedDate(), QDate::currentDate());
        for (const char *b : {"BitBtn15", "BitBtn16", "BitBtn17", "BitBtn18", "BitBtn19"})
            QVERIFY(!cw.w->findChild<QPushButton *>(QString::fromLatin1(b))->isEnabled());
        QVERIFY(cw.load());
        const QList<QStringList> expected = {
            {u"1"_qs, u"15.01.2007"_qs, u"9:30:00"_qs, u"15.01.2007"_qs, u"10:30:00"_qs, {}, u"15.01.2007 9:15:00"_qs, u"Schůzka"_qs},
            {u"2"_qs, u"14.02.2007"_qs, u"19:00:00"_qs, u"14.02.2007"_qs, u"23:00:00"_qs, {}, {}, u"Večeře s přáteli"_qs},
            {u"3"_qs, u"01.03.2007"_qs, u"8:00:00"_qs, u"01.03.2007"_qs, u"8:30:00"_qs, {}, {}, u"Cafe bar"_qs},
            // 23:30 stored is half past midnight of the next day.
            {u"4"_qs, u"21.03.2007"_qs, u"0:30:00"_qs, u"21.03.2007"_qs, u"1:30:00"_qs, {}, u"21.03.2007 0:00:00"_qs, u"Noční vlak do Košic"_qs},
            {u"5"_qs, u"02.04.2007"_qs, u"10:00:00"_qs, u"02.04.2007"_qs, u"12:00:00"_qs, {}, u"02.04.2007 9:45:00"_qs,
             u"Porada oddělení: rozpočet na příští rok, plán dovolených, nové počítače, úklid skladu a různé"_qs},
        };
        QCOMPARE(cw.rows(), expected);

        QCalendarWidget *month = cw.cal->monthView();
        for (QDate d : {QDate(2007, 1, 15), QDate(2007, 2, 14), QDate(2007, 3, 1), QDate(2007, 3, 21), QDate(2007, 4, 2)})
            QVERIFY2(bold(month, d), qPrintable(d.toString()));
        QVERIFY(!bold(month, QDate(2007, 3, 20)));
        cw.cal->selectDay(QDate(2007, 3, 21));
        const auto selected = cw.cal->view()->selectedItems();
        QCOMPARE(selected.size(), qsizetype(1));
        QCOMPARE(selected.first()->text(0), u"4"_qs);
        cw.cal->selectDay(QDate(2007, 3, 20));
        QVERIFY(cw.cal->view()->selectedItems().isEmpty());
        QVERIFY(cw.w->findChild<QPushButton *>(QStringLiteral("ExportICalendar"))->isEnabled());

        // A second read of a calendar that is no longer 1.0 shows nothing, bold days gone.
        QFile f(cw.phoneFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:1\r\nDTSTART:20070115T083000Z\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        f.close();
        QVERIFY(cw.load());
        QVERIFY(cw.rows().isEmpty());
        QVERIFY(!bold(month, QDate(2007, 1, 15)));
        QVERIFY(cw.box("InformationBox"));
        QVERIFY(!cw.w->findChild<QPushButton *>(QStringLiteral("ExportICalendar"))->isEnabled());
    }

    void failedReadSaysSo()
    {
        CalendarWindow cw(5);
        // More refusals than the session retries.
        cw.phone.controls().refuseNextRead(link::BrewSession::kReadRestarts + 1);
        QVERIFY(cw.load());
        QVERIFY(cw.rows().isEmpty());
        QVERIFY(cw.box("ErrorBox"));
    }

    void cancelledReadSaysSo()
    {
        CalendarWindow cw(9);
        cw.phone.controls().goSilentAt(QStringLiteral("diag read"));
        QSignalSpy done(cw.cal, &CalendarTab::loaded);
        QVERIFY(QTest::qWaitFor([&] { return cw.w->phoneLink().diagPort()->isOpen() && !cw.w->connection().connectWindow(); }, 10000));
        cw.w->findChild<QPushButton *>(QStringLiteral("BitBtn14"))->click();
        TransferWindow *t = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (t = cw.w->findChild<TransferWindow *>()) && t->isVisible(); }, 5000));
        t->reject();
        QVERIFY(done.wait(5000) || done.count() == 1);
        QVERIFY(cw.rows().isEmpty());
        QVERIFY(cw.box("InformationBox"));
    }
};

VANDREL_TEST(CalendarTabTest)
#include "tst_calendar_tab.moc"

#endif
