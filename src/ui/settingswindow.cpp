#include "settingswindow.h"

#include "language.h"
#include "mainwindow.h"
#include "messagebox.h"

#include <core/settings/shortcuts.h>
#include <link/shortcutfile.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTimeZone>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vandrel::ui {

namespace {

#ifdef Q_OS_WIN
constexpr bool kWindowsPortRule = true;
#else
constexpr bool kWindowsPortRule = false;
#endif


// Shortcut labels of the "Zkratky" page, in file order.
const std::pair<settings::Msg, const char *> kShortcutLabels[] = {
    {Msg::Copy, "Kopírovat"}, {Msg::Edit, "Editovat"}, {Msg::Refresh, "Aktualizovat"}, {Msg::Rename, "Přejmenovat"},
    {Msg::NewFolder, "Nový adresář"}, {Msg::Delete, "Smazat"}, {Msg::InstallMenu, "Instalovat"}};

QStringList systemPortNames()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << (kWindowsPortRule ? info.portName() : info.systemLocation());
    names.sort();
    return names;
}

QComboBox *portList(const QString &current, const QString &objectName, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(objectName);
    list->setEditable(true); // a port the system does not list can be typed
    list->addItems(systemPortNames());
    if (!current.isEmpty() && list->findText(current) < 0)
        list->addItem(current);
    list->setCurrentIndex(list->findText(current));
    return list;
}

QComboBox *speedList(int speed, const QString &objectName, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(objectName);
    for (int s : settings::offeredSpeeds())
        list->addItem(settings::speedLabel(s));
    list->setCurrentIndex(std::max(0, int(settings::offeredSpeeds().indexOf(speed))));
    return list;
}

QCheckBox *checkBox(const QString &caption, const char *objectName, bool checked, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setChecked(checked);
    return box;
}

QString chosenPort(const QComboBox *list, const QString &previous)
{
    const QString name = list->currentText().trimmed();
    return name.isEmpty() ? previous : name;
}

int chosenSpeed(const QComboBox *list)
{
    return settings::offeredSpeeds().value(list->currentIndex(), settings::offeredSpeeds().first());
}

} // namespace

SettingsWindow::SettingsWindow(MainWindow &main)
    : QDialog(&main), m_main(main), m_start(main.appSettings())
{
    setObjectName(QStringLiteral("TSetForm"));
    setWindowTitle(text(Msg::SettingsMenu, "Nastavení"));

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setMaximumWidth(170);
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("SetPages"));
    const std::pair<QString, QWidget *> pages[] = {
        {text(Msg::ConnectionPage, "Připojení"), buildConnectionPage()}, {text(Msg::ShortcutsPage, "Zkratky"), buildShortcutsPage()},
        {QStringLiteral("SMS"), buildSmsPage()},          {text(Msg::ExplorerTab, "Explorer"), buildExplorerPage()},
        {text(Msg::SettingsOtherPage, "Ostatní"), buildOtherPage()}};
    for (const auto &[caption, page] : pages) {
        new QTreeWidgetItem(m_tree, QStringList{caption});
        m_pages->addWidget(page);
    }
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            m_pages->setCurrentIndex(m_tree->indexOfTopLevelItem(item));
    });
    m_tree->setCurrentItem(m_tree->topLevelItem(0));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(text(Msg::ButtonCancel, "Storno"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *body = new QHBoxLayout;
    body->addWidget(m_tree);
    body->addWidget(m_pages, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
}

QString SettingsWindow::text(settings::Msg n, const char *builtIn) const
{
    return m_main.message(n, QString::fromUtf8(builtIn));
}

QWidget *SettingsWindow::buildConnectionPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    const bool modemOpen = m_main.phoneLink().modemPort()->isOpen();

    auto group = [&](const QString &caption, QComboBox *port, QComboBox *speed, const char *moreName) {
        auto *box = new QGroupBox(caption, page);
        auto *form = new QFormLayout(box);
        auto *more = new QPushButton(QStringLiteral("..."), box);
        more->setObjectName(QString::fromLatin1(moreName));
        more->setMaximumWidth(32);
        connect(more, &QPushButton::clicked, this, [this, port] { askForPortName(port); });
        auto *row = new QHBoxLayout;
        row->addWidget(port, 1);
        row->addWidget(more);
        form->addRow(text(Msg::PortLabel, "Port:"), row);
        form->addRow(text(Msg::SpeedLabel, "Rychlost:"), speed);
        layout->addWidget(box);
        return more;
    };
    m_port = portList(m_start.portName, QStringLiteral("cPortu"), page);
    m_speed = speedList(m_start.speed, QStringLiteral("Rychlost"), page);
    QPushButton *more = group(text(Msg::CommunicationGroup, "Komunikace") + QStringLiteral(" (OBEX)"), m_port, m_speed, "bPortu");
    m_port2 = portList(m_start.portName2, QStringLiteral("cPortu2"), page);
    m_speed2 = speedList(m_start.speed2, QStringLiteral("rychlost2"), page);
    group(text(Msg::JavaInstallGroup, "Instalace javy") + QStringLiteral(" (BREW)"), m_port2, m_speed2, "bPortu2");
    // A connected port keeps its settings.
    for (QWidget *w : {static_cast<QWidget *>(m_port), static_cast<QWidget *>(m_speed), static_cast<QWidget *>(more)})
        w->setEnabled(!modemOpen);
    layout->addStretch();
    return page;
}

QWidget *SettingsWindow::buildShortcutsPage()
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    const QStringList names = settings::shortcutActionNames();
    for (int i = 0; i < settings::ShortcutCount; ++i) {
        auto *edit = new QKeySequenceEdit(page);
        edit->setObjectName(QStringLiteral("HotKey%1").arg(i + 1));
        if (QAction *a = m_main.action(names.at(i)))
            edit->setKeySequence(a->shortcut());
        // One key per command, as the shortcut file holds.
        connect(edit, &QKeySequenceEdit::keySequenceChanged, edit, [edit](const QKeySequence &seq) {
            if (seq.count() > 1)
                edit->setKeySequence(QKeySequence(seq[0]));
        });
        const auto &[message, builtIn] = kShortcutLabels[i];
        form->addRow(text(message, builtIn) + QLatin1Char(':'), edit);
        m_hotKeys << edit;
    }
    return page;
}

QWidget *SettingsWindow::buildSmsPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto *box = new QGroupBox(text(Msg::SmsSettingsGroup, "Práce s SMS"), page);
    auto *inner = new QVBoxLayout(box);
    m_readSms = checkBox(text(Msg::ShowNewSms, "Zobrazovat novou SMS"), "CheckSMS", m_start.readSMS, box);
    m_readStatus = checkBox(text(Msg::IncludeStatusReports, "Včetně výpisů"), "CheckStatus", m_start.readStatus, box);
    inner->addWidget(m_readSms);
    inner->addWidget(m_readStatus);
    layout->addWidget(box);
    layout->addStretch();
    return page;
}

QWidget *SettingsWindow::buildExplorerPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(text(Msg::EditorLabel, "Editor souborů:"), page));
    auto *row = new QHBoxLayout;
    m_editor = new QLineEdit(m_start.editFile, page);
    m_editor->setObjectName(QStringLiteral("LabeledEdit1"));
    auto *pick = new QPushButton(QStringLiteral(">>"), page);
    pick->setObjectName(QStringLiteral("bEditor"));
    pick->setMaximumWidth(40);
    connect(pick, &QPushButton::clicked, this, &SettingsWindow::pickEditor);
    row->addWidget(m_editor, 1);
    row->addWidget(pick);
    layout->addLayout(row);
    m_brewDirWarning = checkBox(text(Msg::BrewFolderWarningSetting, "Upozornění při mazání adresáře v BREW"), "CheckBox5",
                                m_start.BrewDirWarning, page);
    m_icons = checkBox(text(Msg::ShowFileIcons, "Zobrazovat ikony souborů v levém okně"), "CheckBox4", m_start.ikony, page);
    connect(m_icons, &QCheckBox::clicked, this, [this] { showInformation(this, m_main.message(Msg::FileIconsNote)); });
    layout->addWidget(m_brewDirWarning);
    layout->addWidget(m_icons);
    layout->addStretch();
    return page;
}

QWidget *SettingsWindow::buildOtherPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto *form = new QFormLayout;
    m_language = new QComboBox(page);
    m_language->setObjectName(QStringLiteral("cbJazyk"));
    m_language->addItems({QStringLiteral("Čeština"), QStringLiteral("English"), QStringLiteral("Deutsch"),
                          QStringLiteral("Russian")});
    m_language->setCurrentIndex(int(settings::languageCodes().indexOf(settings::effectiveLanguageCode(m_start.language))));
    form->addRow(text(Msg::LanguageLabel, "Jazyk: "), m_language);
    layout->addLayout(form);

    m_minimise = checkBox(text(Msg::MinimiseToTray, "Minimalizovat aplikaci do tray ikony"), "CheckBox1", m_start.minimalize, page);
    layout->addWidget(m_minimise);
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a tray minimising stays ordinary; say so instead of silently ignoring the box.
        auto *note = new QLabel(text(Msg::NoTrayNote, "Tato pracovní plocha nemá oznamovací oblast: aplikace se "
                                                 "minimalizuje obvyklým způsobem."),
                                page);
        note->setObjectName(QStringLiteral("TrayNote"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    m_log = checkBox(QStringLiteral("Logger"), "CheckBox2", m_start.log, page);
    m_oneFile = checkBox(text(Msg::OneCaptureFile, "V Display Capture ukládat obrázky do 1 souboru"), "CheckBox3", m_start.DCOneFile,
                         page);
    layout->addWidget(m_log);
    layout->addWidget(m_oneFile);

    const link::TranscriptSetting transcript = link::loadTranscriptSetting(m_main.settingsStore().backend());
    m_transcript = checkBox(QStringLiteral("Zaznamenávat veškerou komunikaci s telefonem do souboru:"), "CheckTranscript",
                            transcript.on, page);
    m_transcriptFile = new QLineEdit(transcript.path, page);
    m_transcriptFile->setObjectName(QStringLiteral("EditTranscript"));
    m_transcriptFile->setPlaceholderText(link::TranscriptSetting().effectivePath());
    m_transcriptFile->setEnabled(transcript.on);
    connect(m_transcript, &QCheckBox::toggled, m_transcriptFile, &QWidget::setEnabled);
    layout->addWidget(m_transcript);
    layout->addWidget(m_transcriptFile);

    // Shown for the user's orientation only; nothing stores or uses the choice.
    m_timeZone = new QComboBox(page);
    m_timeZone->setObjectName(QStringLiteral("cbPasmo"));
    for (int h = -12; h <= 12; ++h)
        m_timeZone->addItem(h == 0 ? QStringLiteral("GMT")
                                   : QStringLiteral("GMT %1%2:00").arg(QLatin1Char(h < 0 ? '-' : '+')).arg(std::abs(h), 2, 10, QLatin1Char('0')));
    const int offsetHours = QTimeZone::systemTimeZone().offsetFromUtc(QDateTime::currentDateTime()) / 3600;
    m_timeZone->setCurrentIndex(std::clamp(offsetHours, -12, 12) + 12);
    auto *zoneForm = new QFormLayout;
    zoneForm->addRow(text(Msg::TimeZoneLabel, "Časové pásmo:"), m_timeZone);
    layout->addLayout(zoneForm);
    layout->addStretch();
    return page;
}

bool SettingsWindow::acceptPortName(const QString &name, bool windowsRule)
{
    if (windowsRule)
        return name != QLatin1String("COM") && name.size() <= 6 && name.contains(QLatin1String("COM"));
    if (name.isEmpty() || name == initialPortText(false) || name.endsWith(QLatin1Char('/')))
        return false;
    for (QChar c : name)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    return true;
}

QString SettingsWindow::initialPortText(bool windowsRule)
{
    return windowsRule ? QStringLiteral("COM") : QStringLiteral("/dev/");
}

void SettingsWindow::askForPortName(QComboBox *list)
{
    auto *input = new QInputDialog(this);
    input->setObjectName(QStringLiteral("PortNameInput"));
    input->setWindowTitle(kCaption);
    input->setLabelText(m_main.message(Msg::PortNamePrompt));
    input->setTextValue(initialPortText(kWindowsPortRule));
    input->setAttribute(Qt::WA_DeleteOnClose);
    connect(input, &QInputDialog::textValueSelected, list, [list](const QString &answer) {
        if (!acceptPortName(answer, kWindowsPortRule))
            return;
        if (list->findText(answer) < 0)
            list->addItem(answer);
        list->setCurrentIndex(list->findText(answer));
    });
    input->open();
}

void SettingsWindow::pickEditor()
{
    auto *dialog = new QFileDialog(this, kCaption);
    dialog->setObjectName(QStringLiteral("EditorDialog"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (kWindowsPortRule)
        dialog->setNameFilter(QStringLiteral("*.exe"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, m_editor, &QLineEdit::setText);
    dialog->open();
}

SettingsChoice SettingsWindow::choice() const
{
    SettingsChoice c;
    settings::AppSettings &v = c.values;
    v = m_start;
    v.portName = chosenPort(m_port, m_start.portName);
    v.speed = chosenSpeed(m_speed);
    v.portName2 = chosenPort(m_port2, m_start.portName2);
    v.speed2 = chosenSpeed(m_speed2);
    v.readSMS = m_readSms->isChecked();
    v.readStatus = m_readStatus->isChecked();
    v.editFile = m_editor->text().trimmed();
    if (v.editFile.isEmpty())
        v.editFile = settings::AppSettings::defaults().editFile;
    v.BrewDirWarning = m_brewDirWarning->isChecked();
    v.ikony = m_icons->isChecked();
    v.language = settings::languageCodes().value(m_language->currentIndex(), QStringLiteral("EN"));
    v.minimalize = m_minimise->isChecked();
    v.log = m_log->isChecked();
    v.DCOneFile = m_oneFile->isChecked();
    for (const QKeySequenceEdit *edit : m_hotKeys) {
        const QKeySequence key = edit->keySequence();
        c.shortcuts << (key.isEmpty() ? QKeySequence() : QKeySequence(key[0]));
    }
    return c;
}

link::TranscriptSetting SettingsWindow::transcriptChoice() const
{
    return {m_transcript->isChecked(), m_transcriptFile->text().trimmed()};
}

SettingsWindow *showSettings(MainWindow &window)
{
    auto *dialog = new SettingsWindow(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::accepted, &window, [&window, dialog] { applySettings(window, dialog->choice()); });
    QObject::connect(dialog, &QDialog::accepted, &window, [&window, dialog] {
        // Written only when changed, so the settings of a user who never records stay as they were.
        const link::TranscriptSetting transcript = dialog->transcriptChoice();
        if (window.options().saveSettings && transcript != link::loadTranscriptSetting(window.settingsStore().backend()))
            link::saveTranscriptSetting(window.settingsStore().backend(), transcript);
        QString error;
        if (const auto writer = link::transcriptWriterOf(window.phoneLink()))
            if (!link::applyTranscriptSetting(*writer, transcript, &error))
                showError(&window, error);
    });
    dialog->open();
    return dialog;
}

settings::AppSettings takeOverSettings(const settings::AppSettings &current, const settings::AppSettings &chosen,
                                       bool modemPortOpen)
{
    settings::AppSettings s = chosen;
    if (modemPortOpen) {
        s.portName = current.portName;
        s.speed = current.speed;
    }
    // Not shown in the window.
    s.cesta = current.cesta;
    s.statusreport = current.statusreport;
    return s;
}

void applySettings(MainWindow &window, const SettingsChoice &choice)
{
    const bool store = window.options().saveSettings;
    bool saved = true;

    QStringList keyNames;
    const QStringList names = settings::shortcutActionNames();
    for (int i = 0; i < settings::ShortcutCount; ++i) {
        const QKeySequence key = choice.shortcuts.value(i);
        if (QAction *a = window.action(names.at(i)))
            a->setShortcut(key);
        keyNames << key.toString(QKeySequence::PortableText);
    }
    if (store)
        saved = link::writeShortcutFile(keyNames);

    link::PhoneLink &phone = window.phoneLink();
    settings::AppSettings &s = window.appSettings();
    s = takeOverSettings(s, choice.values, phone.modemPort()->isOpen());
    // Port settings never change on an open port; the next OK while it is closed applies them.
    const std::tuple<link::SerialChannel *, QString, int> ports[] = {{phone.modemPort(), s.portName, s.speed},
                                                                      {phone.diagPort(), s.portName2, s.speed2}};
    for (const auto &[channel, name, speed] : ports) {
        if (channel->isOpen())
            continue;
        channel->setPortName(name);
        channel->setBaudRate(speed);
    }

    loadLanguage(window, s.language);
    if (store && !window.settingsStore().saveAfterSettingsWindow(s))
        saved = false;
    if (!saved)
        showError(&window, window.message(Msg::SettingsNotSaved, QStringLiteral("Nastavení se nepodařilo uložit.")));
    emit window.settingsApplied();
}

QKeySequence keySequenceFromName(const QString &name)
{
    const QKeySequence seq = QKeySequence::fromString(name.trimmed(), QKeySequence::PortableText);
    if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown)
        return {};
    return seq;
}

void loadShortcuts(MainWindow &window)
{
    const std::optional<QStringList> keys = link::readShortcutFile();
    if (!keys)
        return;
    const QStringList names = settings::shortcutActionNames();
    for (int i = 0; i < settings::ShortcutCount; ++i)
        if (QAction *a = window.action(names.at(i)))
            a->setShortcut(keySequenceFromName(keys->value(i)));
}

} // namespace vandrel::ui
