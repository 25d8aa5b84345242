#include "phoneinfowindow.h"

#include <link/phoneinfosession.h>

#include <QCoroTask>
#include <QHeaderView>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vandrel::ui {

PhoneInfoWindow::PhoneInfoWindow(link::PhoneLink &link, QWidget *parent)
    : QDialog(parent), m_link(link), m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("TForm11"));
    setWindowTitle(QStringLiteral("Vandrel Controller"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(2);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setColumnWidth(0, 110);
    m_list->header()->setStretchLastSection(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_list);
    resize(340, 240);
}

void PhoneInfoWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        // The window is on screen before the questions go out.
        QTimer::singleShot(0, this, &PhoneInfoWindow::start);
    }
}

namespace {
// Parameters, not lambda captures: they live in the coroutine's frame.
QCoro::Task<void> fill(QPointer<PhoneInfoWindow> window, QPointer<link::PhoneLink> phone)
{
    // A named local: a lambda temporary inside the co_await expression is miscompiled.
    const std::function<bool(const link::PhoneInfoRow &)> show = [window](const link::PhoneInfoRow &row) {
        if (!window || !window->isVisible())
            return false; // closed: the rest is not asked
        window->list()->addTopLevelItem(new QTreeWidgetItem({row.label, row.value}));
        return true;
    };
    const auto result = co_await link::readPhoneInfo(*phone, show);
    if (phone && !result.ok())
        phone->handleFailure(result.outcome);
    if (window)
        emit window->finishedReading();
}
} // namespace

void PhoneInfoWindow::start()
{
    fill(this, &m_link);
}

} // namespace vandrel::ui
