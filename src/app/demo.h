#pragma once
// --demo: the virtual phone on pseudo-terminals in a temporary folder, and the main window's
// ports pointed at it for this run only.
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace vandrel::phonesim {
class VirtualPhone;
}

namespace vandrel::ui {
class MainWindow;
}

namespace vandrel::app {

class Demo : public QObject {
    Q_OBJECT
public:
    explicit Demo(QObject *parent = nullptr);
    ~Demo() override;

    // Seeds and starts the phone; false with a reason when it cannot run.
    bool start(QString *error);
    // Points the window's ports at the phone after the window has loaded its settings, and
    // says in the status bar that this is a demo. Call after constructing the window.
    void attachTo(ui::MainWindow &window);

    QString modemPort() const;
    QString diagPort() const;
    phonesim::VirtualPhone *phone() const { return m_phone.get(); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<phonesim::VirtualPhone> m_phone;
};

} // namespace vandrel::app
