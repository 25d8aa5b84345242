// vandrel-controller: the desktop program, and the composition root: with --demo the virtual
// phone is started here and the main window's ports are pointed at it.
#include "demo.h"

#include <link/phonelink.h>
#include <link/recordingchannel.h>
#include <link/settingsstore.h>
#include <ui/mainwindow.h>

#include <QApplication>
#include <QCommandLineParser>
#include <memory>

namespace {

// Builds the main window (on the real ports, or on the virtual phone), shows it, and runs the
// event loop.
int runApplication(bool demo)
{
    using namespace vandrel;
    ui::MainWindowOptions options;
    options.demo = demo;
    options.saveSettings = !demo;
    std::unique_ptr<app::Demo> phone;
    if (demo) {
        phone = std::make_unique<app::Demo>();
        QString error;
        if (!phone->start(&error)) {
            qCritical("vandrel-controller --demo: %s", qPrintable(error));
            return 1;
        }
    }
    // Every link can record; the setting decides whether it does.
    auto transcript = std::make_shared<link::TranscriptWriter>();
    if (!demo) {
        QString error;
        if (!link::applyTranscriptSetting(*transcript, link::loadTranscriptSetting(link::SettingsStore().backend()), &error))
            qWarning("vandrel-controller: %s", qPrintable(error));
    }
    auto window = std::make_unique<ui::MainWindow>(link::recordedSerialLink(transcript), options);
    if (phone)
        phone->attachTo(*window);
    window->create();
    window->show();
    const int rc = QApplication::exec();
    window.reset(); // the window lets go of the ports before the phone goes away
    return rc;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vandrel Controller"));
    QApplication::setOrganizationName(QStringLiteral("Vandrel Controller"));
    QApplication::setApplicationVersion(QStringLiteral(VANDREL_VERSION_STRING));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vandrel Controller: a desktop companion for your phone."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("demo"), QStringLiteral("Run on the virtual phone (no phone needed).")});
    parser.process(app);

    return runApplication(parser.isSet(QStringLiteral("demo")));
}
