#include "smstab.h"

#include "../connection.h"
#include "../inputbox.h"
#include "../mainwindow.h"
#include "../messagebox.h"
#include "../questionbox.h"
#include "composerwindow.h"

#include <link/paths.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

namespace vandrel::ui {

namespace {

struct Caption {
    const char *objectName;
    Msg message;
    const char *builtIn;
};
// In SmsFilter order.
const Caption kFilterCaptions[] = {
    {"Radio1", Msg::SmsReceivedUnread, "Přijaté nepřečtené"}, {"rPrijate", Msg::SmsReceivedRead, "Přijaté přečtené"},
    {"rNeOdeslane", Msg::SmsStoredUnsent, "Uložené neodeslané"}, {"rOdeslane", Msg::SmsStoredSent, "Uložené odeslané"},
    {"Radio2", Msg::SmsAll, "Všechny (bez filtru)"},
};
const Caption kButtonCaptions[] = {
    {"button9", Msg::NewSms, "Nová SMS"}, {"Button8", Msg::Reply, "Odpovědět"}, {"button7", Msg::Forward, "Předat"},
    {"button6", Msg::Delete, "Smazat"},   {"button10", Msg::Backup, "Zálohovat"},
};
enum ButtonIndex { NewButton, ReplyButton, ForwardButton, DeleteButton, BackupButton };
const int kColumnWidths[] = {35, 140, 90, 110};

const QString kXlsFilter = QStringLiteral("Excel soubor (*.xls)");
const QString kCsvFilter = QStringLiteral("CSV UTF-8 (*.csv)");

QString withSuffix(QString path, const QString &suffix)
{
    if (QFileInfo(path).suffix() != suffix)
        path += u'.' + suffix;
    return path;
}

} // namespace

SmsTab::SmsTab(MainWindow &window) : QWidget(&window), m_window(window)
{
    setObjectName(QStringLiteral("SmsTab"));
    build();
    applyCaptions();
    connect(&window, &MainWindow::captionsChanged, this, &SmsTab::applyCaptions);
    connect(&window, &MainWindow::linkReset, this, [this] {
        m_model->clear();
        showPreview();
    });
}

QString SmsTab::message(settings::Msg n, const char *builtIn) const
{
    return m_window.message(n, QString::fromUtf8(builtIn));
}

void SmsTab::build()
{
    m_model = new SmsTableModel(this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("ListSMS"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->horizontalHeader()->setSectionsClickable(true);
    m_view->horizontalHeader()->setSortIndicatorShown(true);
    for (int c = 0; c < 4; ++c)
        m_view->setColumnWidth(c, kColumnWidths[c]);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, this, &SmsTab::sortBy);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &SmsTab::showPreview);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("SMSPopUp"));
    QAction *code = m_popup->addAction(QStringLiteral("Copy code to clpbrd"));
    code->setObjectName(QStringLiteral("Copycodetoclpbrd1"));
    connect(code, &QAction::triggered, this, &SmsTab::showCode);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (selectedRow())
            m_popup->popup(m_view->viewport()->mapToGlobal(at));
    });

    m_filterGroup = new QGroupBox(this);
    m_filterGroup->setObjectName(QStringLiteral("GroupBox2"));
    auto *filterLayout = new QVBoxLayout(m_filterGroup);
    for (const Caption &c : kFilterCaptions) {
        auto *radio = new QRadioButton(m_filterGroup);
        radio->setObjectName(QString::fromLatin1(c.objectName));
        filterLayout->addWidget(radio);
        m_filters << radio;
    }
    m_filters.first()->setChecked(true);
    m_load = new QPushButton(m_filterGroup);
    m_load->setObjectName(QStringLiteral("bNacist"));
    filterLayout->addWidget(m_load);
    connect(m_load, &QPushButton::clicked, this, &SmsTab::load);

    auto *side = new QVBoxLayout;
    side->addWidget(m_filterGroup);
    for (const Caption &c : kButtonCaptions) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(c.objectName));
        side->addWidget(b);
        m_buttons << b;
    }
    side->addStretch();
    connect(m_buttons[NewButton], &QPushButton::clicked, this, &SmsTab::writeNew);
    connect(m_buttons[ReplyButton], &QPushButton::clicked, this, &SmsTab::replyToSelected);
    connect(m_buttons[ForwardButton], &QPushButton::clicked, this, &SmsTab::forwardSelected);
    connect(m_buttons[DeleteButton], &QPushButton::clicked, this, &SmsTab::deleteSelected);
    connect(m_buttons[BackupButton], &QPushButton::clicked, this, &SmsTab::backup);

    m_previewGroup = new QGroupBox(this);
    m_previewGroup->setObjectName(QStringLiteral("GroupBox1"));
    m_headModel = new QStandardItemModel(0, 3, this);
    m_head = new QHeaderView(Qt::Horizontal, m_previewGroup);
    m_head->setObjectName(QStringLiteral("HeadSMS"));
    m_head->setModel(m_headModel);
    m_head->setSectionResizeMode(QHeaderView::Interactive);
    // Left-aligned: the last section is wider than the window.
    m_head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_head->resizeSection(0, 150);
    m_head->resizeSection(1, 150);
    m_head->resizeSection(2, 1500);
    m_head->setFixedHeight(m_head->fontMetrics().height() + 8);
    m_text = new QTextEdit(m_previewGroup);
    m_text->setObjectName(QStringLiteral("RichSMS"));
    m_text->setReadOnly(true);
    m_text->setAcceptRichText(false);
    auto *previewLayout = new QVBoxLayout(m_previewGroup);
    previewLayout->addWidget(m_head);
    previewLayout->addWidget(m_text);

    auto *top = new QHBoxLayout;
    top->addWidget(m_view, 1);
    top->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(m_previewGroup, 2);
    showPreview();
}

void SmsTab::applyCaptions()
{
    m_model->setHeaders({QStringLiteral("#"), message(Msg::ColumnDate, "Datum"), message(Msg::ColumnName, "Jméno"),
                         message(Msg::ColumnNumber, "Číslo"), message(Msg::ColumnText, "Text")});
    m_filterGroup->setTitle(message(Msg::SmsFilterGroup, "Filtr"));
    for (int i = 0; i < m_filters.size(); ++i)
        m_filters[i]->setText(message(kFilterCaptions[i].message, kFilterCaptions[i].builtIn));
    m_load->setText(message(Msg::LoadButton, "Načíst SMS"));
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setText(message(kButtonCaptions[i].message, kButtonCaptions[i].builtIn));
    m_previewGroup->setTitle(message(Msg::SmsPreviewGroup, "Náhled SMS"));
}

link::SmsFilter SmsTab::filter() const
{
    for (int i = 0; i < m_filters.size(); ++i)
        if (m_filters[i]->isChecked())
            return link::SmsFilter(i);
    return link::SmsFilter::Unread;
}

const sms::SmsRow *SmsTab::selectedRow() const
{
    const QModelIndex current = m_view->selectionModel()->currentIndex();
    if (!current.isValid() || !m_view->selectionModel()->isRowSelected(current.row(), {}))
        return nullptr;
    return m_model->row(current.row());
}

void SmsTab::showPreview()
{
    const sms::SmsRow *r = m_model->row(m_view->selectionModel()->currentIndex().row());
    const QStringList head = r ? QStringList{r->dateText(), r->name, r->number} : QStringList{QString(), QString(), QString()};
    for (int i = 0; i < 3; ++i)
        m_headModel->setHeaderData(i, Qt::Horizontal, head[i]);
    m_text->setPlainText(r ? r->text : QString());
}

void SmsTab::sortBy(int column)
{
    m_sortColumn = column;
    m_model->sort(column, Qt::AscendingOrder);
    m_view->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
}

void SmsTab::load() { startListing(); }

bool SmsTab::startListing()
{
    if (m_listing || !m_window.phoneLink().modemPort()->isOpen())
        return false;
    if (!m_window.connection().portReady(link::PhoneLink::Port::Modem))
        return false;
    runListing(filter());
    return true;
}

QCoro::Task<void> SmsTab::runListing(link::SmsFilter filter)
{
    QPointer<SmsTab> self(this);
    m_listing = true;
    m_model->clear();
    showPreview();
    setCursor(Qt::WaitCursor);
    const auto result = co_await link::listMessages(m_window.phoneLink(), filter);
    if (!self)
        co_return;
    m_listing = false;
    unsetCursor();
    if (!result.ok()) {
        reportFailure(result.outcome);
        emit listed();
        co_return;
    }
    const auto listing = sms::buildRows(result.value.messages, link::loadRecipientLines(), QDateTime::currentDateTime());
    m_model->setRows(listing.rows);
    sortBy(SmsTableModel::IndexColumn);
    if (m_model->rowCount() > 0) {
        m_view->selectRow(0);
        m_view->setFocus();
    }
    emit listed();
}

void SmsTab::reportFailure(const link::Outcome &outcome)
{
    if (outcome.endedByUser())
        return;
    if (outcome.isLinkFailure()) {
        m_window.phoneLink().handleFailure(outcome);
        return;
    }
    if (outcome.kind == link::FailureKind::Malformed) {
        showError(&m_window, message(Msg::NoMessagesInReply, "Telefon nevrátil žádné zprávy."));
        return;
    }
    QString text = link::describe(outcome.kind);
    if (!outcome.detail.isEmpty())
        text += QStringLiteral(": ") + outcome.detail;
    showError(&m_window, text);
}

void SmsTab::deleteSelected()
{
    const sms::SmsRow *r = selectedRow();
    if (!r || m_working || !m_window.phoneLink().modemPort()->isOpen())
        return;
    const int n = int(r->indexes.size());
    const QString question = n == 1 ? tr("Delete the selected message from the phone?")
                                    : tr("Delete the selected message from the phone? It is stored in %1 parts.").arg(n);
    runDelete(r->indexes, question);
}

QCoro::Task<void> SmsTab::runDelete(QList<int> indexes, QString question)
{
    QPointer<SmsTab> self(this);
    m_working = true;
    const auto answer = co_await ask(&m_window, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                                     Closes::WithLink);
    if (!self)
        co_return;
    if (answer != QMessageBox::Yes || !m_window.connection().portReady(link::PhoneLink::Port::Modem)) {
        m_working = false;
        emit workDone();
        co_return;
    }
    const auto result = co_await link::deleteMessages(m_window.phoneLink(), indexes);
    if (!self)
        co_return;
    m_working = false;
    if (!result.value.isEmpty()) {
        QStringList names;
        for (const auto &f : result.value)
            names << QStringLiteral("%1 (%2)").arg(f.index).arg(f.reason);
        showError(&m_window, tr("These stored messages were not deleted: %1").arg(names.join(QStringLiteral(", "))));
    }
    if (!result.ok() && result.outcome.isLinkFailure()) {
        reportFailure(result.outcome);
    } else {
        startListing();
    }
    emit workDone();
}

void SmsTab::backup()
{
    if (m_model->rowCount() == 0)
        return;
    auto *dialog = new QFileDialog(&m_window, kCaption, link::dataFolder());
    dialog->setObjectName(QStringLiteral("SaveSMS"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilters({kXlsFilter, kCsvFilter});
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this, dialog](const QString &path) {
        const bool csv = dialog->selectedNameFilter() == kCsvFilter;
        writeBackup(withSuffix(path, csv ? QStringLiteral("csv") : QStringLiteral("xls")), csv);
    });
    dialog->open();
}

QCoro::Task<void> SmsTab::writeBackup(QString path, bool csv)
{
    QPointer<SmsTab> self(this);
    const QList<sms::SmsRow> rows = m_model->rows();
    QByteArray bytes;
    if (csv) {
        bytes = sms::smsBackupCsv(rows);
    } else {
        const auto sheet = sms::smsBackupXls(rows);
        if (!sheet) {
            showError(&m_window, sheet.error());
            co_return;
        }
        const int lossy = sheet->cellsNotInCodePage + sheet->cellsCut;
        if (lossy > 0) {
            const auto answer = co_await ask(
                &m_window,
                tr("In %1 cells the .xls file cannot hold the whole text (characters outside the Czech code page show "
                   "as \"?\", over-long texts are cut). Save the backup as a UTF-8 CSV file instead?")
                    .arg(lossy),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning);
            if (!self || answer == QMessageBox::Cancel)
                co_return;
            if (answer == QMessageBox::Yes) {
                csv = true;
                path = QFileInfo(path).dir().filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".csv"));
                if (QFileInfo::exists(path)) {
                    const auto replace = co_await ask(&m_window, tr("%1 exists. Replace it?").arg(path),
                                                      QMessageBox::Yes | QMessageBox::No);
                    if (!self || replace != QMessageBox::Yes)
                        co_return;
                }
            }
        }
        bytes = csv ? sms::smsBackupCsv(rows) : sheet->bytes;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        showError(&m_window, tr("The backup could not be written to %1: %2").arg(path, file.errorString()));
        emit workDone();
        co_return;
    }
    QList<int> indexes;
    for (const auto &r : rows)
        indexes << r.indexes;
    if (!m_window.phoneLink().modemPort()->isOpen() || indexes.isEmpty()) {
        emit workDone();
        co_return;
    }
    // Exactly what went into the file, whatever has arrived since.
    runDelete(indexes, tr("The backup holds %1 messages (%2 stored parts). Delete them from the phone now?")
                           .arg(rows.size())
                           .arg(indexes.size()));
}

void SmsTab::writeNew()
{
    if (m_window.phoneLink().modemPort()->isOpen())
        ComposerWindow::open(m_window, {});
}

void SmsTab::replyToSelected()
{
    if (const sms::SmsRow *r = selectedRow())
        ComposerWindow::open(m_window, {r->number, r->name, {}});
}

void SmsTab::forwardSelected()
{
    if (selectedRow())
        ComposerWindow::open(m_window, {{}, {}, m_text->toPlainText()});
}

void SmsTab::showCode()
{
    const sms::SmsRow *r = selectedRow();
    if (!r)
        return;
    openInput(&m_window, QStringLiteral("Code: "), r->pdus.join(u' '));
}

} // namespace vandrel::ui
