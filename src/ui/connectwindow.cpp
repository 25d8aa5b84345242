#include "connectwindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace vandrel::ui {

ConnectWindow::ConnectWindow(const QString &mainLine, const QString &portLine, const QString &speedLine,
                             QWidget *parent)
    : QDialog(parent), m_label1(new QLabel(mainLine, this)), m_label2(new QLabel(portLine, this)),
      m_speed(new QLabel(speedLine, this))
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Vandrel Controller"));
    setWindowModality(Qt::ApplicationModal);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_speed->setObjectName(QStringLiteral("rychlost"));
    QFont bold = m_label1->font();
    bold.setBold(true);
    m_label1->setFont(bold);
    auto *busy = new QProgressBar(this);
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    layout->addWidget(m_label2);
    layout->addWidget(m_speed);
    layout->addWidget(busy);
    setFixedWidth(280);
}

void ConnectWindow::reject()
{
    emit cancelRequested();
    QDialog::reject();
}

} // namespace vandrel::ui
