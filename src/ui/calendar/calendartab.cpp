#include "calendartab.h"

#include "../connection.h"
#include "../mainwindow.h"
#include "../messagebox.h"
#include "../transferwindow.h"

#include <core/calendar/icalendar.h>
#include <link/paths.h>

#include <QCalendarWidget>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextCharFormat>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vandrel::ui {

namespace {

const QString kCalendarFile = QStringLiteral("brew/master_events.dat");

const char *const kColumns[] = {"#", "Datum", "Čas", "Konečné datum", "Konečný čas", "Opakování", "Alarm", "Popis"};
const int kColumnWidths[] = {40, 85, 65, 100, 85, 80, 130};

// The calendar is read-only: these stay disabled.
const char *const kDisabledButtons[][2] = {
    {"BitBtn15", "Přidat"}, {"BitBtn16", "Opravit"}, {"BitBtn17", "Smazat"}, {"BitBtn18", "Smazat celý"}, {"BitBtn19", "Zapsat"},
};

QString u8(const char *s) { return QString::fromUtf8(s); }

} // namespace

CalendarTab::CalendarTab(MainWindow &window) : QWidget(&window), m_window(window)
{
    setObjectName(QStringLiteral("CalendarTab"));
    build();
    applyCaptions();
    connect(&window, &MainWindow::captionsChanged, this, &CalendarTab::applyCaptions);
    window.lifecycle().on(Step::CreateLog, [this] { m_month->setSelectedDate(QDate::currentDate()); });
}

QString CalendarTab::message(settings::Msg n, const char *builtIn) const
{
    return m_window.message(n, u8(builtIn));
}

void CalendarTab::build()
{
    m_month = new QCalendarWidget(this);
    m_month->setObjectName(QStringLiteral("Calendar"));
    m_month->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    m_month->setGridVisible(true);
    m_month->setSelectedDate(QDate::currentDate());
    m_month->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_month, &QCalendarWidget::clicked, this, &CalendarTab::selectDay);
    connect(m_month, &QCalendarWidget::activated, this, &CalendarTab::selectDay);

    m_load = new QPushButton(this);
    m_load->setObjectName(QStringLiteral("BitBtn14"));
    connect(m_load, &QPushButton::clicked, this, &CalendarTab::load);
    m_export = new QPushButton(QStringLiteral("Exportovat"), this);
    m_export->setObjectName(QStringLiteral("ExportICalendar"));
    m_export->setEnabled(false);
    connect(m_export, &QPushButton::clicked, this, &CalendarTab::exportICalendar);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_load);
    for (const auto &b : kDisabledButtons) {
        auto *button = new QPushButton(u8(b[1]), this);
        button->setObjectName(QString::fromLatin1(b[0]));
        button->setEnabled(false);
        buttons->addWidget(button);
    }
    buttons->addSpacing(12);
    buttons->addWidget(m_export);
    buttons->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(m_month);
    top->addLayout(buttons);
    top->addStretch();

    m_view = new QTreeWidget(this);
    m_view->setObjectName(QStringLiteral("CalView"));
    m_view->setColumnCount(int(std::size(kColumns)));
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < int(std::size(kColumnWidths)); ++i)
        m_view->setColumnWidth(i, kColumnWidths[i]);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
}

void CalendarTab::applyCaptions()
{
    m_load->setText(message(Msg::LoadButton, "Načíst"));
    QStringList headers;
    for (const char *c : kColumns)
        headers << u8(c);
    m_view->setHeaderLabels(headers);
}

void CalendarTab::clear()
{
    m_view->clear();
    m_events.clear();
    for (const QDate &d : std::as_const(m_boldDays))
        m_month->setDateTextFormat(d, QTextCharFormat());
    m_boldDays.clear();
    m_export->setEnabled(false);
}

void CalendarTab::load()
{
    // Without an open diagnostic port there is nothing to read from; a busy one says so.
    if (m_loading || !m_window.connection().portReady(link::PhoneLink::Port::Diag))
        return;
    runLoad();
}

QCoro::Task<void> CalendarTab::runLoad()
{
    QPointer<CalendarTab> self(this);
    m_loading = true;
    clear();
    // A private temporary file, removed when this ends: the calendar is the user's data.
    QTemporaryFile temp(QDir::temp().filePath(QStringLiteral("vdlcXXXXXX")));
    if (!temp.open()) {
        showError(&m_window, tr("No temporary file for the calendar: %1").arg(temp.errorString()));
        m_loading = false;
        emit loaded();
        co_return;
    }
    temp.close();
    link::TransferRequest request;
    request.op = link::TransferOp::ReadFile;
    request.name = kCalendarFile;
    request.localFile = temp.fileName();
    const auto [outcome, memory] =
        co_await runTransferWindow(m_window.phoneLink(), m_window.messages(), Access::Brew, request, &m_window);
    if (!self)
        co_return;
    m_loading = false;
    if (outcome.isCancelled()) {
        showInformation(&m_window, tr("Reading the calendar was cancelled; no events are shown."));
    } else if (outcome.ok()) {
        QFile file(temp.fileName());
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : memory;
        const auto cal = calendar::ReadVCalendar(bytes);
        if (cal) {
            show(*cal);
            if (!cal->problems.isEmpty())
                showInformation(&m_window, tr("Some values of the calendar could not be read; their cells are empty:\n%1")
                                               .arg(cal->problems.join(u'\n')));
        } else {
            showInformation(&m_window, tr("The phone's calendar is not a vCalendar 1.0 file (%1); no events are shown.")
                                           .arg(cal.error()));
        }
    }
    // A failed read was said by the transfer window (or by the connection, when the link went).
    emit loaded();
}

void CalendarTab::show(const calendar::Calendar &cal)
{
    m_events = cal.events;
    QList<QTreeWidgetItem *> rows;
    for (const auto &e : std::as_const(m_events))
        rows << new QTreeWidgetItem(e.columns());
    m_view->addTopLevelItems(rows);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const auto days = calendar::eventRowsByDay(m_events);
    for (auto it = days.begin(); it != days.end(); ++it) {
        m_month->setDateTextFormat(it.key(), bold);
        m_boldDays << it.key();
    }
    m_export->setEnabled(!m_events.isEmpty());
}

void CalendarTab::selectDay(QDate day)
{
    const QList<qsizetype> rows = calendar::eventRowsByDay(m_events).value(day);
    m_view->clearSelection();
    for (qsizetype r : rows)
        if (QTreeWidgetItem *item = m_view->topLevelItem(int(r)))
            item->setSelected(true);
    if (!rows.isEmpty())
        m_view->scrollToItem(m_view->topLevelItem(int(rows.first())));
}

void CalendarTab::exportICalendar()
{
    if (m_events.isEmpty())
        return;
    auto *dialog = new QFileDialog(&m_window, kCaption, link::dataFolder());
    dialog->setObjectName(QStringLiteral("SaveICalendar"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(tr("iCalendar (*.ics)"));
    dialog->setDefaultSuffix(QStringLiteral("ics"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QList<calendar::CalendarEvent> events = m_events;
    QPointer<MainWindow> window(&m_window);
    connect(dialog, &QFileDialog::fileSelected, this, [window, events](const QString &path) {
        const calendar::ICalendarFile ics = calendar::writeICalendar(events, QDateTime::currentDateTimeUtc());
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(ics.bytes) != ics.bytes.size() || !file.commit()) {
            showError(window, tr("The calendar could not be written to %1: %2").arg(path, file.errorString()));
            return;
        }
        if (!ics.problems.isEmpty())
            showInformation(window, tr("%1 was written; these events are not in it as listed:\n%2")
                                        .arg(QDir::toNativeSeparators(path), ics.problems.join(u'\n')));
    });
    dialog->open();
}

} // namespace vandrel::ui
