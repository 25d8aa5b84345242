#pragma once
// "Zobrazit info": the phone's identity and status as two columns, filled as replies arrive.
#include <QDialog>

class QTreeWidget;

namespace vandrel::link {
class PhoneLink;
}

namespace vandrel::ui {

class PhoneInfoWindow : public QDialog {
    Q_OBJECT
public:
    PhoneInfoWindow(link::PhoneLink &link, QWidget *parent = nullptr);
    QTreeWidget *list() const { return m_list; }

signals:
    // All queries answered (or the port closed); the window stays open for reading.
    void finishedReading();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void start();

    link::PhoneLink &m_link;
    QTreeWidget *m_list;
    bool m_started = false;
};

} // namespace vandrel::ui
