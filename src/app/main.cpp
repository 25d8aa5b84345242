// vandrel-controller: the desktop program.
#include <ui/mainwindow.h>
#include <ui/startup.h>

#include <QApplication>
#include <QCommandLineParser>

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

    return vandrel::ui::runApplication(parser.isSet(QStringLiteral("demo")));
}
