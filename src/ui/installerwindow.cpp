#include "installerwindow.h"

#include "connection.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "questionasker.h"
#include "questionbox.h"
#include "transferwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace vandrel::ui {

using settings::Msg;

namespace {
template <class W>
W *named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
} // namespace

InstallerWindow::InstallerWindow(MainWindow &window, QString jarPath, QString jadPath, QString themePath)
    : QDialog(&window), m_window(window), m_jarPath(std::move(jarPath)), m_jadPath(std::move(jadPath)),
      m_themePath(std::move(themePath)), m_session(new link::BrewSession(window.phoneLink(), this)),
      m_installer(new link::InstallSession(*m_session, this))
{
    setObjectName(QStringLiteral("TForm9"));
    const bool theme = !m_themePath.isEmpty();
    setWindowTitle(theme ? QStringLiteral("Vandrel Theme Installer") : QStringLiteral("Vandrel Java Installer"));
    m_jadLabel = named(new QLabel(this), "Label1");
    m_jarLabel = named(new QLabel(theme ? m_themePath : m_jarPath, this), "Label2");
    m_status = named(new QLabel(this), "Label3");
    m_status->setWordWrap(true);
    m_kinds = named(new QGroupBox(words(Msg::InstallKindGroup, QStringLiteral("Druh instalace")), this), "RadioGroup1");
    m_game = named(new QRadioButton(words(Msg::JavaGame, QStringLiteral("Java hra")), m_kinds), "Radio1");
    m_app = named(new QRadioButton(words(Msg::JavaApplication, QStringLiteral("Java aplikace")), m_kinds), "Radio2");
    auto *kindLayout = new QVBoxLayout(m_kinds);
    kindLayout->addWidget(m_game);
    kindLayout->addWidget(m_app);
    m_create = named(new QPushButton(words(Msg::CreateJad, QStringLiteral("Vytvořit")), this), "Button1");
    m_install = named(new QPushButton(words(Msg::InstallMenu, QStringLiteral("Instalovat")), this), "BitBtn1");
    m_close = named(new QPushButton(words(Msg::CloseButton, QStringLiteral("Konec")), this), "Button2");
    m_progress = named(new QProgressBar(this), "ProgressBar1");

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_create);
    buttons->addStretch(1);
    buttons->addWidget(m_install);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_jadLabel);
    layout->addWidget(m_jarLabel);
    layout->addWidget(m_status);
    layout->addWidget(m_kinds);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    if (theme)
        for (QWidget *w : std::initializer_list<QWidget *>{m_jadLabel, m_status, m_kinds, m_create})
            w->hide();

    connect(m_game, &QRadioButton::toggled, this, &InstallerWindow::updateState);
    connect(m_app, &QRadioButton::toggled, this, &InstallerWindow::updateState);
    connect(m_create, &QPushButton::clicked, this, [this] { createJad(); });
    connect(m_install, &QPushButton::clicked, this, [this] { startInstall(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_installer, &link::InstallSession::progress, this, [this](qint64 done, qint64 total) {
        m_progress->setMaximum(1000);
        m_progress->setValue(total > 0 ? int(done * 1000 / total) : 0);
    });
    connect(m_installer, &link::InstallSession::notice, this, [this](const QString &text) { showInformation(this, text); });
    updateState();
}

InstallerWindow::~InstallerWindow() { m_session->cancelWait(); }

QString InstallerWindow::words(Msg m, const QString &builtIn) const { return wordsOf(m_window.messages(), m, builtIn); }

void InstallerWindow::done(int result)
{
    if (m_running)
        m_session->cancelWait();
    QDialog::done(result);
}

void InstallerWindow::updateState()
{
    if (!m_themePath.isEmpty()) {
        m_install->setEnabled(!m_running);
        return;
    }
    const bool jad = QFileInfo::exists(m_jadPath);
    m_jadLabel->setText(jad ? m_jadPath : QString());
    m_status->setText(jad ? words(Msg::JadReady, QStringLiteral("Soubor JAD je připraven."))
                          : words(Msg::JadMissing, QStringLiteral("Soubor JAD nebyl nalezen.")) + QLatin1Char('\n')
                                + words(Msg::JadCreateHint, QStringLiteral("Vytvořte jej z archivu JAR tlačítkem Vytvořit.")));
    m_create->setText(jad ? words(Msg::CreateJadAgain, QStringLiteral("Vytvořit znovu")) : words(Msg::CreateJad, QStringLiteral("Vytvořit")));
    const bool kindChosen = m_game->isChecked() || m_app->isChecked();
    m_install->setEnabled(!m_running && kindChosen && jad && QFileInfo::exists(m_jarPath));
    m_create->setEnabled(!m_running);
    m_kinds->setEnabled(!m_running);
}

QCoro::Task<void> InstallerWindow::createJad()
{
    QPointer<InstallerWindow> self(this);
    QByteArray jad;
    QString detail;
    const link::InstallProblem problem = link::InstallSession::descriptorFor(m_jarPath, &jad, &detail);
    if (problem != link::InstallProblem::None) {
        showError(this, problem == link::InstallProblem::NoManifest
                            ? words(Msg::ManifestNotFound, QStringLiteral("V archivu JAR nebyl nalezen soubor META-INF/MANIFEST.MF."))
                            : words(Msg::UnzipFailed, QStringLiteral("Archiv JAR se nepodařilo přečíst.")));
        co_return;
    }
    if (QFileInfo::exists(m_jadPath)) {
        const QString question = QDir::toNativeSeparators(m_jadPath) + words(Msg::ReplaceFileQuestion, QStringLiteral(" exists. Overwrite?"));
        const auto answer = co_await ask(this, question, QMessageBox::Yes | QMessageBox::No);
        if (!self || answer != QMessageBox::Yes)
            co_return;
    }
    QSaveFile file(m_jadPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(jad) != jad.size() || !file.commit())
        showError(this, words(Msg::JadNotWritten, QStringLiteral("Chyba při zápisu souboru JAD.")));
    updateState();
}

QCoro::Task<void> InstallerWindow::startInstall()
{
    QPointer<InstallerWindow> self(this);
    if (m_running)
        co_return;
    link::PhoneLink &phone = m_window.phoneLink();
    if (!phone.diagPort()->isOpen()) {
        if (phone.modemPort()->isOpen())
            phone.modemPort()->close();
        if (phone.diagPort()->open()) {
            showError(this, words(Msg::ConnectionFailed, QStringLiteral("Connection failed.")));
            co_return;
        }
    }
    link::InstallRequest request;
    request.kind = !m_themePath.isEmpty() ? install::Kind::Theme : m_game->isChecked() ? install::Kind::Game : install::Kind::Application;
    request.jarPath = m_jarPath;
    request.jadPath = m_jadPath;
    request.themePath = m_themePath;
    m_running = true;
    updateState();
    const link::Outcome outcome = co_await m_installer->install(request);
    if (!self)
        co_return;
    m_running = false;
    updateState();
    emit installEnded(outcome);
    if (!outcome.ok()) {
        if (!outcome.endedByUser())
            showError(this, outcomeText(outcome, m_window.messages()));
        co_return;
    }
    const auto answer = co_await ask(this, words(Msg::InstallFinishedRestart, QStringLiteral("Instalace je dokončena. Restartovat telefon?")),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Information);
    if (!self)
        co_return;
    if (answer == QMessageBox::Yes)
        m_window.connection().resetPhone(); // the phone's echo restarts it and ends the connection
    accept();
}

} // namespace vandrel::ui
