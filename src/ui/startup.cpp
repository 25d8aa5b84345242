#include "startup.h"

#include "demo.h"
#include "mainwindow.h"

#include <QApplication>

namespace vandrel::ui {

int runApplication(bool demo)
{
    MainWindowOptions options;
    options.demo = demo;
    options.saveSettings = !demo;
    std::unique_ptr<Demo> phone;
    if (demo) {
        phone = std::make_unique<Demo>();
        QString error;
        if (!phone->start(&error)) {
            qCritical("vandrel-controller --demo: %s", qPrintable(error));
            return 1;
        }
    }
    auto window = std::make_unique<MainWindow>(link::PhoneLink::withSerialPorts(), options);
    if (phone)
        phone->attachTo(*window);
    window->create();
    window->show();
    const int rc = QApplication::exec();
    window.reset(); // the window lets go of the ports before the phone goes away
    return rc;
}

} // namespace vandrel::ui
