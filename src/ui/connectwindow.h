#pragma once
// "Připojuji": the small window shown while connecting. The work runs elsewhere; closing the
// window cancels it.
#include <QDialog>

class QLabel;

namespace vandrel::ui {

class ConnectWindow : public QDialog {
    Q_OBJECT
public:
    ConnectWindow(const QString &mainLine, const QString &portLine, const QString &speedLine, QWidget *parent);

    QLabel *label1() const { return m_label1; }
    QLabel *label2() const { return m_label2; }
    QLabel *speed() const { return m_speed; }

signals:
    void cancelRequested();

protected:
    void reject() override;

private:
    QLabel *m_label1;
    QLabel *m_label2;
    QLabel *m_speed;
};

} // namespace vandrel::ui
