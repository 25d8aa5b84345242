#include "startup.h"

#include "mainwindow.h"

#include <QApplication>

namespace vandrel::ui {

int runApplication(bool demo)
{
    MainWindowOptions options;
    options.demo = demo;
    options.saveSettings = !demo;
    auto window = std::make_unique<MainWindow>(link::PhoneLink::withSerialPorts(), options);
    window->create();
    window->show();
    return QApplication::exec();
}

} // namespace vandrel::ui
