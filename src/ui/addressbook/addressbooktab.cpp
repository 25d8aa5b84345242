#include "addressbooktab.h"

#include "contacttablemodel.h"
#include "ui/connection.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"
#include "ui/oncerelay.h"
#include "ui/questionbox.h"
#include "ui/transferwindow.h"

#include <core/phonebook/bookfiles.h>
#include <core/phonebook/exports.h>
#include <link/paths.h>
#include <link/phonebookfiles.h>

#include <QButtonGroup>
#include <QCoroSignal>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

namespace vandrel::ui {

using phonebook::BookFormat;

namespace {

struct EditField {
    int field;
    int edit;          // LabeledEdit number
    int page;          // 0 "Všeobecné info", 1 "Soukromé", 2 "Obchod", 3 "Osobní"
    Msg label;
    const char16_t *builtIn;
    const char16_t *suffix = u"";
};

const EditField kEditFields[] = {
    {0, 1, 0, Msg::FirstNameLabel, u"Jméno:"},
    {1, 2, 0, Msg::SurnameLabel, u"Příjmení:"},
    {3, 3, 0, Msg::PrivatePhoneLabel, u"Soukromý telefon:"},
    {4, 4, 0, Msg::BusinessPhoneLabel, u"Obchodní telefon:"},
    {5, 5, 0, Msg::PrivateMobileLabel, u"Soukromý mobil:"},
    {6, 6, 0, Msg::BusinessMobileLabel, u"Obchodní mobil:"},
    {7, 7, 1, Msg::EmailLabel, u"E-mail:"},
    {8, 8, 1, Msg::EmailLabel, u"E-mail2:", u"2"},
    {9, 9, 1, Msg::UrlLabel, u"URL:"},
    {10, 10, 1, Msg::FaxLabel, u"Fax:"},
    {11, 11, 1, Msg::StreetLabel, u"Ulice:"},
    {12, 12, 1, Msg::CityLabel, u"Město:"},
    {13, 13, 1, Msg::PostcodeLabel, u"PSČ:"},
    {14, 14, 1, Msg::Country1Label, u"Země1:"},
    {15, 15, 1, Msg::Country2Label, u"Země2:"},
    {16, 16, 1, Msg::AddressExtraLabel, u"Dodatečné informace k adrese:"},
    {17, 17, 1, Msg::NotesLabel, u"Poznámky:"},
    {18, 18, 2, Msg::EmailLabel, u"E-mail:"},
    {19, 19, 2, Msg::EmailLabel, u"E-mail2:", u"2"},
    {20, 20, 2, Msg::UrlLabel, u"URL:"},
    {21, 21, 2, Msg::FaxLabel, u"Fax:"},
    {22, 34, 2, Msg::CompanyLabel, u"Firma:"},
    {23, 35, 2, Msg::JobTitleLabel, u"Pozice:"},
    {24, 22, 2, Msg::StreetLabel, u"Ulice:"},
    {25, 23, 2, Msg::CityLabel, u"Město:"},
    {26, 24, 2, Msg::PostcodeLabel, u"PSČ:"},
    {27, 25, 2, Msg::Country1Label, u"Země1:"},
    {28, 26, 2, Msg::Country2Label, u"Země2:"},
    {29, 27, 2, Msg::AddressExtraLabel, u"Dodatečné informace k adrese:"},
    {30, 28, 2, Msg::NotesLabel, u"Poznámky:"},
    {31, 29, 3, Msg::PictureLabel, u"Obrázek:"},
    {33, 30, 3, Msg::RingtoneLabel, u"Vyzvánění:"},
    {34, 32, 3, Msg::BirthdayLabel, u"Narozeniny:"},
    {35, 33, 3, Msg::DisplayNameLabel, u"Zobrazit jméno:"},
};

struct PageCaption {
    const char *objectName;
    Msg msg;
    const char16_t *builtIn;
};
const PageCaption kPages[] = {{"TabSheet5", Msg::ContactGeneralPage, u"Všeobecné info"},
                              {"TabSheet6", Msg::ContactPrivatePage, u"Soukromé"},
                              {"TabSheet7", Msg::ContactBusinessPage, u"Obchod"},
                              {"TabSheet8", Msg::ContactPersonalPage, u"Osobní"}};

const PageCaption kButtons[] = {{"BitBtn1", Msg::ReadBookFromPhone, u"Načíst z telefonu"},
                                {"BitBtn2", Msg::ReadBookFromFile, u"Načíst ze souboru"},
                                {"BitBtn3", Msg::WriteBookToPhone, u"Uložit do telefonu"},
                                {"BitBtn4", Msg::SaveBookToFile, u"Uložit do souboru"},
                                {"BitBtn5", Msg::NewContact, u"Nový záznam"},
                                {"BitBtn6", Msg::DeleteContact, u"Smazat záznam"},
                                {"BitBtn7", Msg::AddContact, u"Přidat záznam"},
                                {"BitBtn8", Msg::ChangeContact, u"Opravit záznam"}};

// The telephone fields the four default-number buttons stand beside.
constexpr int kNumberFields[4] = {3, 4, 5, 6};

QString filterOf(BookFormat f)
{
    return QLatin1Char('*') + phonebook::extensionOf(f);
}

QString names(const QList<phonebook::ContactChange> &changes)
{
    QStringList out;
    for (const auto &c : changes)
        out << c.name;
    if (out.size() > 8)
        out = out.mid(0, 8) << QStringLiteral("…");
    return out.join(QStringLiteral("; "));
}

QString summaryText(const phonebook::ChangeSummary &s)
{
    if (s.changesNothing())
        return QObject::tr("The table is the same as the address book on the phone (%1 contacts). Write it to the phone anyway?")
            .arg(s.unchanged);
    QString text = QObject::tr("Writing replaces the address book on the phone:");
    if (!s.added.isEmpty())
        text += QObject::tr("\n%1 added: %2").arg(s.added.size()).arg(names(s.added));
    if (!s.changed.isEmpty())
        text += QObject::tr("\n%1 changed: %2").arg(s.changed.size()).arg(names(s.changed));
    if (!s.removed.isEmpty())
        text += QObject::tr("\n%1 removed: %2").arg(s.removed.size()).arg(names(s.removed));
    text += QObject::tr("\n%1 unchanged.\n\nThe phone's present copy has been kept on this computer. Write now?").arg(s.unchanged);
    return text;
}

} // namespace

AddressBookTab::AddressBookTab(MainWindow &window) : QWidget(&window), m_window(window)
{
    setObjectName(QStringLiteral("AddressBookTab"));
    build();
    applyCaptions();
    connect(&m_window, &MainWindow::captionsChanged, this, &AddressBookTab::applyCaptions);
    m_window.lifecycle().on(Step::LoadNameLists, [this] { loadGroupNames(); });
    // A group read on the "Ostatní" tab rewrites grp.vdl: the list follows at once, the shown
    // contact keeps its group.
    connect(&m_window, &MainWindow::groupSideListChanged, this, [this] {
        const int shown = m_group->currentIndex();
        loadGroupNames();
        if (shown < m_group->count())
            m_group->setCurrentIndex(shown);
    });
    m_window.installEventFilter(this);
}

QString AddressBookTab::message(settings::Msg n, const char16_t *builtIn) const
{
    return m_window.message(n, QString::fromUtf16(builtIn));
}

void AddressBookTab::build()
{
    m_model = new ContactTableModel(this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("ListAdresar"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->setWordWrap(false);
    m_view->horizontalHeader()->setStretchLastSection(true);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    showContact(current.row());
            });

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Page2"));
    QList<QGridLayout *> grids;
    for (const PageCaption &p : kPages) {
        auto *page = new QWidget(m_pages);
        page->setObjectName(QString::fromLatin1(p.objectName));
        grids << new QGridLayout(page);
        m_pages->addTab(page, QString());
    }
    m_radioGroup = new QButtonGroup(this);
    for (const EditField &f : kEditFields) {
        QGridLayout *grid = grids[f.page];
        const int row = grid->rowCount();
        auto *edit = new QLineEdit(grid->parentWidget());
        edit->setObjectName(QStringLiteral("LabeledEdit%1").arg(f.edit));
        auto *label = new QLabel(grid->parentWidget());
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        m_edits.insert(f.field, edit);
        m_labels.insert(f.field, label);
        if (f.field == 31 || f.field == 33)
            edit->setEnabled(false); // picture and ringtone are the phone's to set
        if (f.page == 0 && f.field >= 3) {
            auto *radio = new QRadioButton(grid->parentWidget());
            radio->setObjectName(QStringLiteral("RadioButton%1").arg(2 + f.field));
            m_radioGroup->addButton(radio, int(m_radios.size()) + 1);
            m_radios << radio;
            grid->addWidget(radio, row, 2);
            connect(edit, &QLineEdit::textChanged, this, &AddressBookTab::updateButtons);
        }
    }
    QGridLayout *personal = grids[3];
    m_groupLabel = new QLabel(personal->parentWidget());
    m_groupLabel->setObjectName(QStringLiteral("Label3"));
    m_group = new QComboBox(personal->parentWidget());
    m_group->setObjectName(QStringLiteral("ComboBox7"));
    const int row = personal->rowCount();
    personal->addWidget(m_groupLabel, row, 0);
    personal->addWidget(m_group, row, 1);
    for (QGridLayout *g : grids)
        g->setRowStretch(g->rowCount(), 1);

    auto *buttons = new QVBoxLayout;
    for (const PageCaption &b : kButtons) {
        auto *button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(b.objectName));
        m_buttons << button;
    }
    // Phone and file commands first, then the edits, in the order they are used.
    for (int i : {0, 2, 1, 3, 4, 6, 7, 5})
        buttons->addWidget(m_buttons[i]);
    buttons->addStretch(1);
    connect(m_buttons[0], &QPushButton::clicked, this, &AddressBookTab::readFromPhone);
    connect(m_buttons[1], &QPushButton::clicked, this, &AddressBookTab::loadFromFile);
    connect(m_buttons[2], &QPushButton::clicked, this, &AddressBookTab::writeToPhone);
    connect(m_buttons[3], &QPushButton::clicked, this, &AddressBookTab::saveToFile);
    connect(m_buttons[4], &QPushButton::clicked, this, &AddressBookTab::newContact);
    connect(m_buttons[5], &QPushButton::clicked, this, &AddressBookTab::deleteContact);
    connect(m_buttons[6], &QPushButton::clicked, this, &AddressBookTab::addContact);
    connect(m_buttons[7], &QPushButton::clicked, this, &AddressBookTab::changeContact);

    auto *lower = new QHBoxLayout;
    lower->addWidget(m_pages, 1);
    lower->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 3);
    layout->addLayout(lower, 2);
    updateButtons();
}

void AddressBookTab::applyCaptions()
{
    for (int i = 0; i < 4; ++i)
        m_pages->setTabText(i, message(kPages[i].msg, kPages[i].builtIn));
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setText(message(kButtons[i].msg, kButtons[i].builtIn));
    for (const EditField &f : kEditFields) {
        const QString loaded = m_window.message(f.label, QString());
        const QString suffix = QString::fromUtf16(f.suffix);
        m_labels[f.field]->setText(loaded.isEmpty() || suffix.isEmpty() ? message(f.label, f.builtIn) : loaded + suffix);
    }
    m_groupLabel->setText(message(Msg::BirthdayFormatNote, u"Datum narození zadejte ve tvaru DD.MM.RRRR."));
}

void AddressBookTab::loadGroupNames()
{
    m_groupNames = link::loadGroupNames();
    m_group->clear();
    m_group->addItems(m_groupNames);
    m_group->setCurrentIndex(-1);
}

void AddressBookTab::fillAddressList()
{
    m_model->setContacts(m_table.contacts());
    if (m_model->rowCount() > 0) {
        m_view->setFocus();
        m_view->selectRow(0);
        m_view->setCurrentIndex(m_model->index(0, 0));
    }
}

int AddressBookTab::selectedRow() const
{
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void AddressBookTab::showContact(int row)
{
    row = std::max(row, 0);
    if (row >= m_table.contacts().size())
        return;
    const phonebook::ContactRecord &c = m_table.contacts().at(row);
    for (auto it = m_edits.cbegin(); it != m_edits.cend(); ++it)
        it.value()->setText(c.field(it.key()));
    const phonebook::DefaultNumberButtons b = phonebook::defaultNumberButtons(c);
    // A contact without a default number checks none: a button of the contact shown before
    // must not be stored into this one.
    m_radioGroup->setExclusive(false);
    for (int i = 0; i < 4; ++i)
        m_radios[i]->setChecked(b.checked == i + 1);
    m_radioGroup->setExclusive(true);
    updateButtons();
    m_group->setCurrentIndex(c.group.isEmpty() ? -1 : int(c.group.at(0).unicode()));
}

void AddressBookTab::updateButtons()
{
    for (int i = 0; i < 4; ++i)
        m_radios[i]->setEnabled(!m_edits[kNumberFields[i]]->text().isEmpty());
}

phonebook::ContactRecord AddressBookTab::pagesContact() const
{
    phonebook::ContactRecord c;
    for (auto it = m_edits.cbegin(); it != m_edits.cend(); ++it)
        c.setField(it.key(), it.value()->text());
    return c;
}

int AddressBookTab::checkedButton() const
{
    const int id = m_radioGroup->checkedId();
    return id < 0 ? 0 : id;
}

void AddressBookTab::saveRecipients()
{
    const link::Outcome saved = link::saveRecipientLines(m_table.recipients());
    if (!saved.ok())
        showError(&m_window, saved.detail);
}

void AddressBookTab::newContact()
{
    for (QLineEdit *e : std::as_const(m_edits))
        e->clear();
    m_pages->setCurrentIndex(0);
    m_edits[0]->setFocus();
}

void AddressBookTab::addContact()
{
    if (!m_table.add(pagesContact(), checkedButton()))
        return;
    saveRecipients();
    fillAddressList();
}

void AddressBookTab::changeContact()
{
    if (!m_table.change(selectedRow(), pagesContact(), checkedButton()))
        return;
    saveRecipients();
    fillAddressList();
}

void AddressBookTab::deleteContact()
{
    if (!m_table.remove(selectedRow()))
        return;
    saveRecipients();
    fillAddressList();
    showContact(0);
}

QCoro::Task<bool> AddressBookTab::mayDiscardEdits()
{
    if (!m_table.isModified())
        co_return true;
    const auto answer = co_await ask(&m_window,
                                     tr("The address book has changes that are neither saved to a file nor written to the "
                                        "phone. Discard them?"),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
    co_return answer == QMessageBox::Yes;
}

QCoro::Task<std::pair<QString, BookFormat>> AddressBookTab::chooseSaveName(QString proposed, QList<BookFormat> formats)
{
    QPointer<AddressBookTab> self(this);
    auto *dialog = new QFileDialog(&m_window, kCaption, QDir(link::dataFolder()).filePath(proposed));
    dialog->setObjectName(QStringLiteral("SaveDialog1"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // The replace question is ours (message 54), asked once the extension is on the name.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (BookFormat f : formats)
        filters << filterOf(f);
    dialog->setNameFilters(filters);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Woken once: by the chosen name, or by the dialog going away without one.
    auto relay = std::make_unique<OnceRelay>();
    OnceRelay *r = relay.get();
    QString chosen;
    BookFormat format = formats.first();
    connect(dialog, &QFileDialog::fileSelected, r, [&chosen, &format, formats, filters, dialog, r](const QString &path) {
        chosen = path;
        format = formats.value(filters.indexOf(dialog->selectedNameFilter()), formats.first());
        r->finish();
    });
    connect(dialog, &QObject::destroyed, r, [r] { r->finish(); });
    dialog->open();
    co_await qCoro(r, &OnceRelay::fired);
    if (!self || chosen.isEmpty())
        co_return std::pair{QString(), format};
    const QString path = phonebook::withExtension(chosen, format);
    if (QFileInfo::exists(path)) {
        const auto answer = co_await ask(&m_window,
                                         message(Msg::ReplaceFileQuestion, u"Soubor již existuje. Přepsat?") +
                                             QLatin1Char(' ') + QDir::toNativeSeparators(path),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (!self || answer != QMessageBox::Yes)
            co_return std::pair{QString(), format};
    }
    co_return std::pair{path, format};
}

bool AddressBookTab::writeBook(const QString &path, BookFormat format, const QByteArray &phoneBytes)
{
    // A book read from the phone is kept as the phone's own bytes.
    Checked<phonebook::ExportedFile> file = phoneBytes.isNull() || format != BookFormat::Dat
                                                ? phonebook::writeBookFile(m_table.contacts(), format, m_groupNames)
                                                : Checked<phonebook::ExportedFile>(phonebook::ExportedFile{phoneBytes, {}});
    if (!file) {
        showError(&m_window, tr("%1 was not written: %2").arg(QDir::toNativeSeparators(path), file.error()));
        return false;
    }
    const link::Outcome saved = link::saveFileAtomically(path, file->bytes);
    if (!saved.ok()) {
        showError(&m_window, saved.detail);
        return false;
    }
    if (!file->lossyRows.isEmpty())
        showInformation(&m_window, phonebook::lossyWarning(m_table.contacts(), file->lossyRows));
    return true;
}

void AddressBookTab::saveToFile()
{
    if (m_model->rowCount() == 0 || m_working)
        return;
    runSaveToFile();
}

QCoro::Task<void> AddressBookTab::runSaveToFile()
{
    QPointer<AddressBookTab> self(this);
    m_working = true;
    const QList<BookFormat> formats = {BookFormat::Dat, BookFormat::Csv, BookFormat::Xls, BookFormat::Vcf};
    const std::pair<QString, BookFormat> chosen = co_await chooseSaveName(QStringLiteral("pbm_master_v_20"), formats);
    if (!self)
        co_return;
    m_working = false;
    // Only a file the table can be read back from holds its edits.
    const QString path = chosen.first;
    const BookFormat format = chosen.second;
    if (!path.isEmpty() && writeBook(path, format) && (format == BookFormat::Dat || format == BookFormat::Vcf))
        m_table.savedToFile();
    emit workDone();
}

void AddressBookTab::loadFromFile()
{
    if (m_working)
        return;
    m_working = true;
    auto *dialog = new QFileDialog(&m_window, kCaption, link::dataFolder());
    dialog->setObjectName(QStringLiteral("OpenDialog"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters({filterOf(BookFormat::Dat), filterOf(BookFormat::Vcf), filterOf(BookFormat::Json)});
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) { runLoadFromFile(path); });
    connect(dialog, &QFileDialog::rejected, this, [this] {
        m_working = false;
        emit workDone();
    });
    dialog->open();
}

QCoro::Task<void> AddressBookTab::runLoadFromFile(QString path)
{
    QPointer<AddressBookTab> self(this);
    const bool discard = co_await mayDiscardEdits();
    if (!self)
        co_return;
    m_working = false;
    if (!discard) {
        emit workDone();
        co_return;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        showError(&m_window, tr("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
        emit workDone();
        co_return;
    }
    const BookFormat format = phonebook::bookFormatOf(path, Qt::CaseInsensitive).value_or(BookFormat::Dat);
    const auto book = phonebook::readBookFile(f.readAll(), format, m_groupNames);
    if (!book) {
        showError(&m_window, tr("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), book.error()));
        emit workDone();
        co_return;
    }
    m_table.loadFromFile(book->contacts);
    saveRecipients();
    fillAddressList();
    showContact(0);
    if (!book->warnings.isEmpty())
        showInformation(&m_window, book->warnings.join(u'\n'));
    emit workDone();
}

void AddressBookTab::readFromPhone()
{
    if (m_working || !m_window.connection().portReady(link::PhoneLink::Port::Diag))
        return;
    runReadFromPhone();
}

QCoro::Task<void> AddressBookTab::runReadFromPhone()
{
    QPointer<AddressBookTab> self(this);
    m_working = true;
    auto end = [this] {
        m_working = false;
        emit workDone();
    };
    const bool discard = co_await mayDiscardEdits();
    if (!self)
        co_return;
    if (!discard) {
        end();
        co_return;
    }
    const QList<BookFormat> formats = {BookFormat::Dat, BookFormat::Csv, BookFormat::Xls, BookFormat::Vcf};
    const std::pair<QString, BookFormat> chosen = co_await chooseSaveName(QStringLiteral("Pbm_master_v_20"), formats);
    if (!self)
        co_return;
    const QString path = chosen.first;
    const BookFormat format = chosen.second;
    if (path.isEmpty() || !m_window.connection().portReady(link::PhoneLink::Port::Diag)) {
        end();
        co_return;
    }
    MainWindow *window = &m_window;
    link::TransferRunner run = [window](link::TransferRequest r) -> QCoro::Task<link::Result<QByteArray>> {
        const std::pair<link::Outcome, QByteArray> ended =
            co_await runTransferWindow(window->phoneLink(), window->messages(), Access::Brew, std::move(r), window);
        co_return link::Result<QByteArray>{ended.first, ended.second};
    };
    const link::Result<QByteArray> read = co_await link::readPhonebook(run);
    if (!self)
        co_return;
    // A failed read leaves the table and the chosen file as they were; the window said why.
    if (!read.ok()) {
        end();
        co_return;
    }
    const auto book = phonebook::readBookFile(read.value, BookFormat::Dat);
    m_table.loadFromPhone(book->contacts);
    saveRecipients();
    fillAddressList();
    showContact(0);
    if (writeBook(path, format, read.value) && (format == BookFormat::Dat || format == BookFormat::Vcf))
        m_table.savedToFile();
    if (!book->warnings.isEmpty())
        showInformation(&m_window, book->warnings.join(u'\n'));
    end();
}

void AddressBookTab::writeToPhone()
{
    if (m_working || !m_window.connection().portReady(link::PhoneLink::Port::Diag))
        return;
    runWriteToPhone();
}

QCoro::Task<void> AddressBookTab::runWriteToPhone()
{
    QPointer<AddressBookTab> self(this);
    m_working = true;
    MainWindow *window = &m_window;
    link::TransferRunner run = [window](link::TransferRequest r) -> QCoro::Task<link::Result<QByteArray>> {
        const std::pair<link::Outcome, QByteArray> ended =
            co_await runTransferWindow(window->phoneLink(), window->messages(), Access::Brew, std::move(r), window);
        co_return link::Result<QByteArray>{ended.first, ended.second};
    };
    link::ConfirmChanges confirm = [window](phonebook::ChangeSummary summary) -> QCoro::Task<bool> {
        const auto answer = co_await ask(window, summaryText(summary), QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::Question, Closes::WithLink);
        co_return answer == QMessageBox::Yes;
    };
    const link::PhonebookWrite written =
        co_await link::writePhonebook(run, m_table.contacts(), link::phonebookBackupFolder(), confirm);
    if (!self)
        co_return;
    if (!written.problems.isEmpty()) {
        QStringList lines;
        for (const auto &p : written.problems.mid(0, 10))
            lines << p.text;
        if (written.problems.size() > 10)
            lines << tr("… and %1 more").arg(written.problems.size() - 10);
        showError(&m_window, tr("Nothing was written to the phone:\n") + lines.join(u'\n'));
    } else if (written.outcome.ok()) {
        m_table.wroteToPhone();
        const auto answer = co_await ask(&m_window, message(Msg::PhonebookWrittenRestart, u"Adresář byl uložen do telefonu. "
                                                                                            u"Restartovat telefon, aby se změny projevily?"),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         QMessageBox::Information, Closes::WithLink);
        if (!self)
            co_return;
        if (answer == QMessageBox::Yes)
            m_window.connection().resetPhone();
    } else if (written.offerRestore && m_window.phoneLink().diagPort()->isOpen()) {
        const auto answer = co_await ask(
            &m_window,
            tr("The address book was not written, and the phone's address book may be gone (the phone cannot rename "
               "files, so the new file replaces the old one as it goes). Its previous copy is kept in %1.\n\n"
               "Write that copy back to the phone now?")
                .arg(QDir::toNativeSeparators(written.backupFile)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning, Closes::WithLink);
        if (!self)
            co_return;
        if (answer == QMessageBox::Yes) {
            const link::Outcome restored = co_await link::restorePhonebook(run, written.backupFile);
            if (!self)
                co_return;
            if (restored.ok())
                showInformation(&m_window, tr("The previous address book is back on the phone."));
        }
    } else if (written.outcome.isFailed() && written.outcome.kind == link::FailureKind::LocalFile) {
        showError(&m_window, written.outcome.detail);
    }
    m_working = false;
    emit workDone();
}

bool AddressBookTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_window && event->type() == QEvent::Close && !m_closeConfirmed && m_table.isModified()) {
        event->ignore();
        closeAfterQuestion();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QCoro::Task<void> AddressBookTab::closeAfterQuestion()
{
    QPointer<AddressBookTab> self(this);
    if (m_closeAsked)
        co_return;
    m_closeAsked = true;
    const bool discard = co_await mayDiscardEdits();
    if (!self)
        co_return;
    m_closeAsked = false;
    if (!discard)
        co_return;
    m_closeConfirmed = true;
    m_window.close();
}

} // namespace vandrel::ui
