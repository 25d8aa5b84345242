#include "othertab.h"

#include "../inputbox.h"
#include "../mainwindow.h"
#include "../messagebox.h"
#include "../questionbox.h"

#include <core/phonebook/sidelines.h>
#include <core/phonedb/dump.h>
#include <link/paths.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>

namespace vandrel::ui {

using phonedb::TEmail;

namespace {

QString u8(const char *s) { return QString::fromUtf8(s); }

// The e-mail box's edits and check boxes, page by page (0 "Uživatelské info", 1 "Info o
// spojení", 2 "Přednost", 3 "Podpis").
struct TextField {
    const char *objectName;
    QString TEmail::*member;
    int page;
    Msg message;
    const char *builtIn;
    bool secret = false;
};
const TextField kTextFields[] = {
    {"LabeledEdit41", &TEmail::userName, 0, Msg::ColumnName, "Jméno"},
    {"LabeledEdit42", &TEmail::emailAddress, 0, Msg::EmailAddress, "E-mailová adresa"},
    {"LabeledEdit43", &TEmail::replyTo, 0, Msg::ReplyTo, "Odpověď na"},
    {"LabeledEdit44", &TEmail::userId, 0, Msg::UserId, "ID uživetele"},
    {"LabeledEdit45", &TEmail::password, 0, Msg::Password, "Heslo", true},
    {"LabeledEdit46", &TEmail::smtpUserId, 0, Msg::None, "ID SMTP"},
    {"LabeledEdit47", &TEmail::smtpPassword, 0, Msg::SendPassword, "Poslat heslo", true},
    {"LabeledEdit49", &TEmail::pop3Server, 1, Msg::None, "POP3 server"},
    {"LabeledEdit50", &TEmail::pop3Port, 1, Msg::None, "POP3 port"},
    {"LabeledEdit51", &TEmail::imap4Server, 1, Msg::None, "IMAP4 server"},
    {"LabeledEdit52", &TEmail::imap4Port, 1, Msg::None, "IMAP4 port"},
    {"LabeledEdit48", &TEmail::smtpServer, 1, Msg::None, "SMTP server"},
    {"LabeledEdit53", &TEmail::smtpPort, 1, Msg::None, "SMTP port"},
    {"LabeledEdit54", &TEmail::maxMessageSize, 2, Msg::MaxMessageSize, "Max. velikost zprávy"},
    {"LabeledEdit55", &TEmail::signature, 3, Msg::None, "Text"},
};
struct FlagField {
    const char *objectName;
    bool TEmail::*member;
    int page;
    Msg message;
    const char *builtIn;
};
const FlagField kFlagFields[] = {
    {"CheckBox7", &TEmail::pop3Ssl, 1, Msg::None, "POP3 SSL/TLS"},
    {"CheckBox8", &TEmail::imap4Ssl, 1, Msg::None, "IMAP4 SSL/TLS"},
    {"CheckBox9", &TEmail::smtpSsl, 1, Msg::None, "SMTP SSL/TLS"},
    {"CheckBox10", &TEmail::smtpAuth, 1, Msg::SmtpAuthenticate, "ověřit"}, // shown after "SMTP "
    {"CheckBox11", &TEmail::keepOnServer, 2, Msg::KeepOnServer, "Kopii na serveru"},
    {"CheckBox12", &TEmail::deleteOnServer, 2, Msg(int(Msg::KeepOnServer) + 1), "Smazat na serveru"},
    {"CheckBox13", &TEmail::saveSent, 2, Msg(int(Msg::KeepOnServer) + 2), "Uložit odesl. zprávu"},
    {"CheckBox14", &TEmail::quoteOriginal, 2, Msg(int(Msg::KeepOnServer) + 3), "Do odpovědi vložit originál"},
    {"CheckBox15", &TEmail::deliveryReport, 2, Msg(int(Msg::KeepOnServer) + 4), "Požadovat zpr. o doručení"},
    {"CheckBox16", &TEmail::readReport, 2, Msg(int(Msg::KeepOnServer) + 5), "Požadovat zpr. o přečtení"},
};
const char *const kDownloadModes[] = {"Pouze hlavičky", "Celou zprávu", "Ptát se"};
const char *const kSignatureUses[] = {"Nepoužívat", "U nového e-mailu", "U všech e-mailů"};

QFileDialog *folderChooser(QWidget *parent)
{
    auto *dialog = new QFileDialog(parent, kCaption, link::dataFolder());
    dialog->setObjectName(QStringLiteral("DirDialog1"));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    return dialog;
}

} // namespace

OtherTab::OtherTab(MainWindow &window) : QWidget(&window), m_window(window)
{
    setObjectName(QStringLiteral("OtherTab"));
    build();
    applyCaptions();
    connect(&window, &MainWindow::captionsChanged, this, &OtherTab::applyCaptions);
}

QString OtherTab::message(settings::Msg n, const char *builtIn) const
{
    return n == Msg::None ? u8(builtIn) : m_window.message(n, u8(builtIn));
}

void OtherTab::caption(std::function<void(const QString &)> set, settings::Msg m, const char *builtIn)
{
    m_captions.append([this, set = std::move(set), m, builtIn] { set(message(m, builtIn)); });
}

void OtherTab::applyCaptions()
{
    for (const auto &c : std::as_const(m_captions))
        c();
    // The combo texts are the message table's; the selected items stay.
    const auto refill = [this](QComboBox *box, Msg first, const char *const (&builtIn)[3]) {
        const int current = box->currentIndex();
        box->clear();
        for (int i = 0; i < 3; ++i)
            box->addItem(message(Msg(int(first) + i), builtIn[i]));
        box->setCurrentIndex(current);
    };
    refill(m_downloadMode, Msg::DownloadHeadersOnly, kDownloadModes);
    refill(m_signatureUse, Msg::SignatureNever, kSignatureUses);
}

void OtherTab::build()
{
    auto *filter = new QGroupBox(this);
    filter->setObjectName(QStringLiteral("GroupBox6"));
    filter->setTitle(u8("Filtr"));
    auto *filterLayout = new QVBoxLayout(filter);
    auto check = [&](const char *name, Msg m, const char *builtIn, bool enabled) {
        auto *box = new QCheckBox(filter);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(enabled);
        box->setEnabled(enabled);
        caption([box](const QString &t) { box->setText(t); }, m, builtIn);
        filterLayout->addWidget(box);
        return box;
    };
    m_groupsBox = check("CheckBox5", Msg::GroupsGroup, "Skupiny", true);
    m_profilesBox = check("CheckBox6", Msg::ProfilesGroup, "Datové profily", true);
    m_accountsBox = check("CheckBox3", Msg::EmailGroup, "Email nastavení", true);
    check("CheckBox1", Msg::None, "Playlisty", false);
    check("CheckBox4", Msg::None, "Záložky", false);
    check("CheckBox2", Msg::None, "Nastavení browseru", false);

    auto button = [this](const char *name, Msg m, const char *builtIn, auto slot) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        caption([b](const QString &t) { b->setText(t); }, m, builtIn);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    auto *left = new QVBoxLayout;
    left->addWidget(filter);
    left->addWidget(button("Button30", Msg::LoadButton, "Načíst", &OtherTab::load));
    left->addWidget(button("Button31", Msg::None, "Zapsat", &OtherTab::writeAccounts));
    auto *reveal = new QCheckBox(tr("Show passwords"), this);
    reveal->setObjectName(QStringLiteral("ShowPasswords"));
    left->addWidget(reveal);

    auto *groups = new QGroupBox(this);
    groups->setObjectName(QStringLiteral("GroupBox5"));
    caption([groups](const QString &t) { groups->setTitle(t); }, Msg::GroupsGroup, "Skupiny");
    auto *groupsLayout = new QVBoxLayout(groups);
    m_groups = new QListWidget(groups);
    m_groups->setObjectName(QStringLiteral("ListBox4"));
    groupsLayout->addWidget(m_groups);
    auto *groupButtons = new QHBoxLayout;
    // Groups are read only: these two have no work.
    for (const auto &[name, m, builtIn] : {std::tuple{"Button29", Msg::AddButton, "Přidat"}, std::tuple{"Button28", Msg::Delete, "Smazat"}}) {
        auto *b = new QPushButton(groups);
        b->setObjectName(QString::fromLatin1(name));
        b->setEnabled(false);
        caption([b](const QString &t) { b->setText(t); }, m, builtIn);
        groupButtons->addWidget(b);
    }
    groupsLayout->addLayout(groupButtons);
    left->addWidget(groups, 1);
    left->addWidget(button("Button13", Msg::None, "NAČÍST PAMĚŤ TELEFONU", &OtherTab::unescapeDump));

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(buildEmailBox(), 2);
    layout->addWidget(buildProfileBox(), 1);

    connect(reveal, &QCheckBox::toggled, this, [this](bool on) {
        for (const char *name : {"LabeledEdit45", "LabeledEdit47", "LabeledEdit40"})
            findChild<QLineEdit *>(QString::fromLatin1(name))->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password);
    });
}

QWidget *OtherTab::buildEmailBox()
{
    auto *box = new QGroupBox(this);
    box->setObjectName(QStringLiteral("GroupBox3"));
    caption([box](const QString &t) { box->setTitle(t); }, Msg::EmailGroup, "E-mail");
    auto *layout = new QVBoxLayout(box);
    auto *top = new QHBoxLayout;
    m_accountCombo = new QComboBox(box);
    m_accountCombo->setObjectName(QStringLiteral("ComboBox2"));
    connect(m_accountCombo, &QComboBox::activated, this, &OtherTab::showAccount);
    top->addWidget(m_accountCombo, 1);
    auto *add = new QPushButton(box);
    add->setObjectName(QStringLiteral("Button23"));
    caption([add](const QString &t) { add->setText(t); }, Msg::AddButton, "Přidat");
    connect(add, &QPushButton::clicked, this, &OtherTab::addAccount);
    top->addWidget(add);
    layout->addLayout(top);

    auto *pages = new QTabWidget(box);
    pages->setObjectName(QStringLiteral("PageControl2"));
    QList<QFormLayout *> forms;
    const std::tuple<const char *, Msg, const char *> kPages[] = {
        {"TabSheet10", Msg::UserInfoPage, "Uživatelské info"}, {"TabSheet11", Msg::ConnectionInfoPage, "Info o spojení"},
        {"TabSheet12", Msg::PreferencesPage, "Přednost"},       {"TabSheet13", Msg::SignaturePage, "Podpis"}};
    for (const auto &[name, m, builtIn] : kPages) {
        auto *page = new QWidget(pages);
        page->setObjectName(QString::fromLatin1(name));
        forms << new QFormLayout(page);
        const int index = pages->addTab(page, QString());
        caption([pages, index](const QString &t) { pages->setTabText(index, t); }, m, builtIn);
    }
    auto labelled = [this, box](QFormLayout *form, const char *labelName, Msg m, const char *builtIn, QWidget *field) {
        auto *label = new QLabel(box);
        label->setObjectName(QString::fromLatin1(labelName));
        caption([label](const QString &t) { label->setText(t); }, m, builtIn);
        form->addRow(label, field);
    };
    auto combo = [box](const char *name) {
        auto *c = new QComboBox(box);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    m_serverType = combo("ComboBox4");
    m_serverType->addItems({QStringLiteral("POP3"), QStringLiteral("IMAP4")});
    labelled(forms[1], "Label7", Msg::ServerTypeLabel, "Typ serveru", m_serverType);
    m_dataProfile = combo("ComboBox3");
    for (int n = 1; n <= phonedb::kMaxNumbered; ++n)
        m_dataProfile->addItem(phonedb::profileFileName(n));
    labelled(forms[1], "Label8", Msg::AccountLabel, "Účet", m_dataProfile);
    m_downloadMode = combo("ComboBox5");
    labelled(forms[2], "Label9", Msg::DownloadModeLabel, "Mód stahování", m_downloadMode);
    m_signatureUse = combo("ComboBox6");
    labelled(forms[3], "Label10", Msg::SignatureLabel, "Podpis", m_signatureUse);
    for (const TextField &f : kTextFields) {
        auto *edit = new QLineEdit(box);
        edit->setObjectName(QString::fromLatin1(f.objectName));
        if (f.secret)
            edit->setEchoMode(QLineEdit::Password);
        labelled(forms[f.page], (std::string(f.objectName) + "Label").c_str(), f.message, f.builtIn, edit);
    }
    for (const FlagField &f : kFlagFields) {
        auto *check = new QCheckBox(box);
        check->setObjectName(QString::fromLatin1(f.objectName));
        const bool smtp = f.member == &TEmail::smtpAuth;
        caption([check, smtp](const QString &t) { check->setText(smtp ? QStringLiteral("SMTP ") + t : t); }, f.message, f.builtIn);
        forms[f.page]->addRow(check);
    }
    layout->addWidget(pages);
    auto *ok = new QPushButton(QStringLiteral("OK"), box);
    ok->setObjectName(QStringLiteral("Button11"));
    connect(ok, &QPushButton::clicked, this, &OtherTab::storeAccount);
    layout->addWidget(ok, 0, Qt::AlignRight);
    return box;
}

QWidget *OtherTab::buildProfileBox()
{
    auto *box = new QGroupBox(this);
    box->setObjectName(QStringLiteral("GroupBox7"));
    caption([box](const QString &t) { box->setTitle(t); }, Msg::ProfilesGroup, "GPRS profily");
    auto *layout = new QVBoxLayout(box);
    auto *top = new QHBoxLayout;
    m_profileCombo = new QComboBox(box);
    m_profileCombo->setObjectName(QStringLiteral("ComboBox1"));
    connect(m_profileCombo, &QComboBox::activated, this, &OtherTab::showProfile);
    top->addWidget(m_profileCombo, 1);
    auto *add = new QPushButton(box);
    add->setObjectName(QStringLiteral("Button33"));
    caption([add](const QString &t) { add->setText(t); }, Msg::AddButton, "Přidat");
    connect(add, &QPushButton::clicked, this, &OtherTab::addProfile);
    top->addWidget(add);
    layout->addLayout(top);

    auto *form = new QFormLayout;
    auto edit = [&](const char *name, Msg m, const char *builtIn) {
        auto *e = new QLineEdit(box);
        e->setObjectName(QString::fromLatin1(name));
        auto *label = new QLabel(box);
        label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
        caption([label](const QString &t) { label->setText(t); }, m, builtIn);
        form->addRow(label, e);
        return e;
    };
    auto pair = [&](const char *labelName, Msg m, const char *builtIn, QRadioButton *a, QRadioButton *b) {
        auto *row = new QWidget(box);
        auto *h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(a);
        h->addWidget(b);
        auto *label = new QLabel(box);
        label->setObjectName(QString::fromLatin1(labelName));
        caption([label](const QString &t) { label->setText(t); }, m, builtIn);
        form->addRow(label, row);
    };
    auto radio = [&](const char *name, Msg m, const char *builtIn) {
        auto *r = new QRadioButton(box);
        r->setObjectName(QString::fromLatin1(name));
        caption([r](const QString &t) { r->setText(t); }, m, builtIn);
        return r;
    };
    m_profileName = edit("LabeledEdit36", Msg::ProfileName, "Jméno profilu");
    m_http = radio("RadioButton1", Msg::None, "HTTP");
    m_wap = radio("RadioButton2", Msg::None, "Wap");
    pair("Label5", Msg::ConnectionType, "Typ připojení", m_http, m_wap);
    m_secure = radio("RadioButton3", Msg::Secured, "Zabezpečené");
    m_insecure = radio("RadioButton4", Msg::Unsecured, "Nezabezpečené");
    pair("Label6", Msg::ConnectionKind, "Spojení", m_secure, m_insecure);
    m_proxyServer = edit("LabeledEdit37", Msg::ProxyServer, "Proxy server");
    m_proxyPort = edit("LabeledEdit38", Msg::ProxyPort, "Proxy port");
    m_login = edit("LabeledEdit39", Msg::Login, "Login");
    m_profilePassword = edit("LabeledEdit40", Msg::Password, "Heslo");
    m_profilePassword->setEchoMode(QLineEdit::Password);
    layout->addLayout(form);
    layout->addStretch();
    auto *ok = new QPushButton(QStringLiteral("OK"), box);
    ok->setObjectName(QStringLiteral("Button12"));
    connect(ok, &QPushButton::clicked, this, &OtherTab::storeProfile);
    layout->addWidget(ok, 0, Qt::AlignRight);
    return box;
}

// --- reading

void OtherTab::load()
{
    m_accounts.clear();
    m_profiles.clear();
    m_accountCombo->clear();
    m_profileCombo->clear();
    QFileDialog *dialog = folderChooser(&m_window);
    connect(dialog, &QFileDialog::fileSelected, this, &OtherTab::loadFolder);
    dialog->open();
}

void OtherTab::loadFolder(const QString &folder)
{
    const phonedb::LoadSelection selection{m_groupsBox->isChecked(), m_profilesBox->isChecked(), m_accountsBox->isChecked()};
    QMap<QString, QByteArray> files;
    QStringList problems;
    const QDir dir(folder);
    for (const QString &name : phonedb::filesToLoad(selection)) {
        if (!dir.exists(name))
            continue;
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            problems << tr("%1 cannot be read: %2").arg(name, f.errorString());
            continue;
        }
        files.insert(name, f.read(phonedb::kMaxDatabaseFileSize + 1));
    }
    const phonedb::FolderContent content = phonedb::loadDatabaseFolder(selection, files);
    problems += content.problems;

    if (content.groupsRead) {
        m_groups->clear();
        for (const auto &g : content.groups.groups)
            m_groups->addItem(g.listItem());
    }
    if (content.replaceGroupSideFile) {
        const QStringList lines = content.groups.sideLines();
        const QString path = link::dataFile(phonebook::kGroupSideFileName);
        QSaveFile side(path);
        const QByteArray bytes = phonebook::writeSideLines(lines);
        if (side.open(QIODevice::WriteOnly) && side.write(bytes) == bytes.size() && side.commit())
            emit m_window.groupSideListChanged(lines);
        else
            problems << tr("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), side.errorString());
    }

    m_profiles = content.profiles;
    m_profileCombo->clear();
    for (const auto &p : std::as_const(m_profiles))
        m_profileCombo->addItem(p.profileName);
    if (!m_profiles.isEmpty()) {
        m_profileCombo->setCurrentIndex(0);
        showProfile(0);
    }
    m_accounts = content.accounts;
    m_accountCombo->clear();
    for (const auto &a : std::as_const(m_accounts))
        m_accountCombo->addItem(a.account.accountName);
    if (!m_accounts.isEmpty()) {
        m_accountCombo->setCurrentIndex(0);
        showAccount(0);
    }
    if (!problems.isEmpty())
        showError(&m_window, tr("Not everything in %1 could be read:\n%2").arg(QDir::toNativeSeparators(folder), problems.join(u'\n')));
}

// --- accounts

void OtherTab::showAccount(int index)
{
    if (index < 0 || index >= m_accounts.size())
        return;
    const TEmail &a = m_accounts[index].account;
    for (const TextField &f : kTextFields)
        findChild<QLineEdit *>(QString::fromLatin1(f.objectName))->setText(a.*f.member);
    for (const FlagField &f : kFlagFields)
        findChild<QCheckBox *>(QString::fromLatin1(f.objectName))->setChecked(a.*f.member);
    m_serverType->setCurrentIndex(a.serverType);
    m_dataProfile->setCurrentIndex(a.dataProfile - 1);
    m_downloadMode->setCurrentIndex(a.downloadMode);
    m_signatureUse->setCurrentIndex(a.signatureUse);
}

TEmail OtherTab::accountFromControls() const
{
    TEmail a;
    for (const TextField &f : kTextFields)
        a.*f.member = findChild<QLineEdit *>(QString::fromLatin1(f.objectName))->text();
    for (const FlagField &f : kFlagFields)
        a.*f.member = findChild<QCheckBox *>(QString::fromLatin1(f.objectName))->isChecked();
    a.serverType = m_serverType->currentIndex();
    a.dataProfile = m_dataProfile->currentIndex() + 1;
    a.downloadMode = m_downloadMode->currentIndex();
    a.signatureUse = m_signatureUse->currentIndex();
    return a;
}

void OtherTab::storeAccount()
{
    const int i = m_accountCombo->currentIndex();
    if (i < 0 || i >= m_accounts.size())
        return;
    const auto stored = phonedb::storeAccount(m_accounts[i].account, accountFromControls());
    if (!stored) {
        showError(&m_window, stored.error());
        return;
    }
    m_accounts[i].account = *stored;
    showAccount(i);
}

void OtherTab::addAccount() { runAdd(true); }
void OtherTab::addProfile() { runAdd(false); }

QCoro::Task<void> OtherTab::runAdd(bool account)
{
    QPointer<OtherTab> self(this);
    const std::optional<QString> name = co_await askText(&m_window, QStringLiteral("Zadejte nazev"));
    if (!self || !name)
        co_return;
    if (account) {
        const auto record = phonedb::newAccount(*name);
        if (!record) {
            showError(&m_window, record.error());
            co_return;
        }
        m_accounts.append(*record);
        m_accountCombo->addItem(*name);
        m_accountCombo->setCurrentIndex(int(m_accounts.size()) - 1);
        showAccount(int(m_accounts.size()) - 1);
    } else {
        phonedb::GProfil p;
        p.profileName = *name;
        m_profiles.append(p);
        m_profileCombo->addItem(*name);
        m_profileCombo->setCurrentIndex(int(m_profiles.size()) - 1);
        showProfile(int(m_profiles.size()) - 1);
    }
}

void OtherTab::writeAccounts()
{
    QFileDialog *dialog = folderChooser(&m_window);
    connect(dialog, &QFileDialog::fileSelected, this, &OtherTab::writeAccountsTo);
    dialog->open();
}

void OtherTab::writeAccountsTo(const QString &folder)
{
    if (!m_accountsBox->isChecked() || m_writing)
        return;
    runWrite(folder);
}

QCoro::Task<void> OtherTab::runWrite(QString folder)
{
    QPointer<OtherTab> self(this);
    const QDir dir(folder);
    const auto plan = phonedb::planAccountWrite(m_accounts, dir.entryList(QDir::Files | QDir::Hidden));
    if (!plan) {
        showError(&m_window, tr("Nothing was written: %1").arg(plan.error()));
        emit accountsWritten(false);
        co_return;
    }
    if (!plan->existing.isEmpty() || !plan->obsolete.isEmpty()) {
        QString text = tr("These files in %1 will be replaced: %2.").arg(QDir::toNativeSeparators(folder), plan->existing.join(QStringLiteral(", ")));
        if (!plan->obsolete.isEmpty())
            text += u' ' + tr("These account files would read back as more accounts and will be removed: %1.").arg(plan->obsolete.join(QStringLiteral(", ")));
        m_writing = true;
        const auto answer = co_await ask(&m_window, text + u' ' + tr("Go on?"), QMessageBox::Yes | QMessageBox::No);
        if (!self)
            co_return;
        m_writing = false;
        if (answer != QMessageBox::Yes) {
            emit accountsWritten(false);
            co_return;
        }
    }
    // Every file is written in full before any of them replaces what is there.
    std::vector<std::unique_ptr<QSaveFile>> files;
    QString failure;
    for (const auto &f : plan->files) {
        auto file = std::make_unique<QSaveFile>(dir.filePath(f.name));
        if (!file->open(QIODevice::WriteOnly) || file->write(f.bytes) != f.bytes.size()) {
            failure = tr("%1: %2").arg(f.name, file->errorString());
            break;
        }
        files.push_back(std::move(file));
    }
    QStringList notDone;
    if (failure.isEmpty()) {
        for (qsizetype i = 0; i < qsizetype(files.size()); ++i) {
            if (!files[size_t(i)]->commit()) {
                notDone << plan->files[i].name;
                continue;
            }
            m_accounts[i].original = plan->files[i].bytes;
            m_accounts[i].fileName = plan->files[i].name;
        }
        for (const QString &name : plan->obsolete)
            if (!QFile::remove(dir.filePath(name)))
                notDone << name;
    } else {
        for (auto &f : files)
            f->cancelWriting();
        showError(&m_window, tr("Nothing was written to %1. %2").arg(QDir::toNativeSeparators(folder), failure));
        emit accountsWritten(false);
        co_return;
    }
    if (!notDone.isEmpty())
        showError(&m_window, tr("These files in %1 could not be written or removed: %2")
                                 .arg(QDir::toNativeSeparators(folder), notDone.join(QStringLiteral(", "))));
    emit accountsWritten(notDone.isEmpty());
}

// --- profiles

void OtherTab::showProfile(int index)
{
    if (index < 0 || index >= m_profiles.size())
        return;
    const phonedb::GProfil &p = m_profiles[index];
    m_profileName->setText(p.profileName);
    (p.isHttp != 0 ? m_http : m_wap)->setChecked(true);
    (p.isSecure != 0 ? m_secure : m_insecure)->setChecked(true);
    m_proxyServer->setText(p.proxyServer);
    m_proxyPort->setText(QString::number(p.proxyPort));
    m_login->setText(p.login);
    m_profilePassword->setText(p.password);
}

void OtherTab::storeProfile()
{
    const int i = m_profileCombo->currentIndex();
    if (i < 0 || i >= m_profiles.size())
        return;
    const phonedb::ProfileControls controls{m_profileName->text(), m_http->isChecked(), m_secure->isChecked(),
                                            m_proxyServer->text(), m_proxyPort->text(), m_login->text(),
                                            m_profilePassword->text()};
    const auto stored = phonedb::storeProfile(m_profiles[i], controls);
    if (!stored) {
        showError(&m_window, stored.error());
        return;
    }
    m_profiles[i] = *stored;
    m_profileCombo->setItemText(i, stored->profileName);
    showProfile(i);
}

// --- the dump tool

void OtherTab::unescapeDump()
{
    auto *dialog = new QFileDialog(&m_window, kCaption, link::dataFolder(), QStringLiteral("*.dat"));
    dialog->setObjectName(QStringLiteral("OpenDialog"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<MainWindow> window(&m_window);
    connect(dialog, &QFileDialog::fileSelected, this, [window](const QString &path) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            showError(window, tr("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), in.errorString()));
            return;
        }
        const QByteArray result = phonedb::unescapeDump(in.readAll());
        const QString target = phonedb::unescapedDumpPath(path, [](const QString &p) { return QFileInfo::exists(p); });
        QSaveFile out(target);
        if (target.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(result) != result.size() || !out.commit()) {
            showError(window, tr("The un-escaped dump could not be written beside %1.").arg(QDir::toNativeSeparators(path)));
            return;
        }
        showInformation(window, tr("The un-escaped dump was written to %1.").arg(QDir::toNativeSeparators(target)));
    });
    dialog->open();
}

} // namespace vandrel::ui
