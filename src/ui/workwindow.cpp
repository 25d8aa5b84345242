#include "workwindow.h"

#include <link/phonelink.h>

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <climits>

namespace vandrel::ui {

namespace {
const QString kWaiting = QStringLiteral("Retrieving data. Plesase wait...");
}

WorkWindow::WorkWindow(link::PhoneLink &link, const QString &caption, const QString &progressName, QWidget *parent)
    : QDialog(parent), m_link(link), m_upper(new QLabel(kWaiting, this)), m_lower(new QLabel(kWaiting, this)),
      m_progress(new QProgressBar(this))
{
    setWindowTitle(caption);
    m_upper->setObjectName(QStringLiteral("Label2"));
    m_lower->setObjectName(QStringLiteral("Label1"));
    m_progress->setObjectName(progressName);
    m_progress->setTextVisible(false);
    for (QLabel *l : {m_upper, m_lower})
        l->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_upper);
    layout->addWidget(m_lower);
    layout->addWidget(m_progress);
    resize(460, 110);
}

WorkWindow::~WorkWindow()
{
    m_link.unregisterWorkWindow(this);
}

void WorkWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        // On screen first, then the work.
        QTimer::singleShot(0, this, &WorkWindow::start);
    }
}

void WorkWindow::setProgress(qint64 value, qint64 maximum)
{
    if (maximum <= 0) {
        m_progress->setRange(0, 1);
        m_progress->setValue(m_emptyShowsComplete ? 1 : 0);
        return;
    }
    const qint64 scale = maximum > INT_MAX ? 1024 : 1;
    m_progress->setRange(0, int(maximum / scale));
    m_progress->setValue(int(qBound<qint64>(0, value, maximum) / scale));
}

void WorkWindow::registerWithLink()
{
    // The window's own reject: the work is cancelled and its questions closed with it.
    m_link.registerWorkWindow(this, [w = QPointer<WorkWindow>(this)] {
        if (w)
            w->reject();
    });
}

void WorkWindow::reject()
{
    if (m_working) {
        cancelWork();
        // A question left open would hold the stopped operation, and a late answer would
        // resume it: it is closed unanswered (Cancel).
        const auto boxes = findChildren<QMessageBox *>(QStringLiteral("QuestionBox"));
        for (QMessageBox *box : boxes)
            box->reject();
    }
    QDialog::reject();
}

} // namespace vandrel::ui
