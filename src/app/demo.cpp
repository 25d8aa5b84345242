#include "demo.h"

#include <phone-sim/virtualphone.h>
#include <ui/mainwindow.h>

namespace vandrel::app {

Demo::Demo(QObject *parent) : QObject(parent), m_dir(QDir::tempPath() + QStringLiteral("/vandrel-demo-XXXXXX")) {}

Demo::~Demo() = default;

QString Demo::modemPort() const
{
    return m_dir.filePath(QStringLiteral("modem"));
}

QString Demo::diagPort() const
{
    return m_dir.filePath(QStringLiteral("diag"));
}

bool Demo::start(QString *error)
{
    if (!m_dir.isValid()) {
        *error = tr("No temporary folder for the virtual phone: %1").arg(m_dir.errorString());
        return false;
    }
    m_phone = std::make_unique<phonesim::VirtualPhone>(m_dir.filePath(QStringLiteral("phone")));
    if (!m_phone->seeded()) {
        *error = tr("The virtual phone's folder cannot be made.");
        return false;
    }
    if (!m_phone->servePtys(modemPort(), diagPort(), error))
        return false;
    if (const QString copy = m_dir.filePath(QStringLiteral("phone-databases")); m_phone->exportDatabaseFolder(copy))
        qInfo("vandrel-controller --demo: the phone's group, account and profile files are copied to %s", qPrintable(copy));
    return true;
}

void Demo::attachTo(ui::MainWindow &window)
{
    ui::MainWindow *w = &window;
    // Runs after the window's own settings loading; nothing here is saved.
    window.lifecycle().on(ui::Step::LoadSettings, [this, w] {
        w->appSettings().portName = modemPort();
        w->appSettings().portName2 = diagPort();
        w->phoneLink().modemPort()->setPortName(modemPort());
        w->phoneLink().diagPort()->setPortName(diagPort());
        w->setStatusPanel(4, tr("demo: virtual phone") + QStringLiteral(" · v") + w->versionText());
    });
}

} // namespace vandrel::app
