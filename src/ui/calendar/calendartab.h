#pragma once
// The "Kalendář" tab: the phone's calendar read over the diagnostic port and listed event by
// event, the month view with the days that have events in bold, and the export to iCalendar.
#include <core/calendar/vcalendar.h>
#include <core/settings/messageids.h>

#include <QCoroTask>
#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QPushButton;
class QTreeWidget;

namespace vandrel::ui {

class MainWindow;

class CalendarTab : public QWidget {
    Q_OBJECT
public:
    explicit CalendarTab(MainWindow &window);

    QTreeWidget *view() const { return m_view; }
    QCalendarWidget *monthView() const { return m_month; }
    const QList<calendar::CalendarEvent> &events() const { return m_events; }

public slots:
    // BitBtn14: "brew/master_events.dat" read again and listed.
    void load();
    // The events as an .ics file chosen by the user.
    void exportICalendar();
    // The rows of the events listed under `day` selected.
    void selectDay(QDate day);

signals:
    // A read ended: rows shown, or the failure said.
    void loaded();

private:
    void build();
    void applyCaptions();
    void show(const calendar::Calendar &cal);
    void clear();
    QCoro::Task<void> runLoad();
    QString message(settings::Msg n, const char *builtIn) const;

    MainWindow &m_window;
    QCalendarWidget *m_month = nullptr;
    QTreeWidget *m_view = nullptr;
    QPushButton *m_load = nullptr;
    QPushButton *m_export = nullptr;
    QList<calendar::CalendarEvent> m_events;
    QList<QDate> m_boldDays;
    bool m_loading = false;
};

} // namespace vandrel::ui
