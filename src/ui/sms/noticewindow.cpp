#include "noticewindow.h"

#include "../connection.h"
#include "../mainwindow.h"
#include "composerwindow.h"

#include <core/phonebook/exports.h>

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace vandrel::ui {

NoticeWindow::NoticeWindow(MainWindow &window, const QByteArray &reply) : QDialog(&window)
{
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(window.message(Msg::IncomingMessageCaption, QStringLiteral("Nová příchozí SMS")));
    setAttribute(Qt::WA_DeleteOnClose);
    m_number = new QLabel(this);
    m_number->setObjectName(QStringLiteral("Label1"));
    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("Label2"));
    m_date = new QLabel(this);
    m_date->setObjectName(QStringLiteral("Label3"));
    for (QLabel *l : {m_number, m_name, m_date})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("RichEdit1"));
    m_text->setReadOnly(true);
    m_text->setAcceptRichText(false);

    const struct {
        const char *name;
        Msg message;
        const char *builtIn;
    } buttons[] = {{"Button1", Msg::Reply, "Odpovědět"}, {"Button2", Msg::Forward, "Předat"}, {"Button3", Msg::CloseButton, "Konec"}};
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (const auto &b : buttons) {
        auto *button = new QPushButton(window.message(b.message, QString::fromUtf8(b.builtIn)), this);
        button->setObjectName(QString::fromLatin1(b.name));
        row->addWidget(button);
        if (b.message == Msg::CloseButton) {
            button->setDefault(true);
            connect(button, &QPushButton::clicked, this, &QDialog::accept);
        } else {
            const bool isReply = b.message == Msg::Reply;
            connect(button, &QPushButton::clicked, this, [this, &window, isReply] {
                const ComposerStart start = isReply ? ComposerStart{number(), m_name->text(), {}}
                                                  : ComposerStart{{}, {}, text()};
                hide();
                // The notice goes when the composer does.
                auto *composer = ComposerWindow::open(window, start);
                connect(composer, &QObject::destroyed, this, &QDialog::accept);
            });
        }
    }
    auto *head = new QGridLayout;
    head->addWidget(m_number, 0, 0);
    head->addWidget(m_name, 0, 1);
    head->addWidget(m_date, 1, 0, 1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(m_text, 1);
    layout->addLayout(row);
    resize(420, 260);

    const auto incoming = link::decodeIncoming(reply, QDateTime::currentDateTime());
    if (!incoming) {
        m_text->setPlainText(tr("The message cannot be decoded: %1").arg(incoming.error()));
        return;
    }
    const sms::DecodedSms &s = incoming->sms;
    m_number->setText(s.number);
    m_name->setText(phonebook::nameForNumber(link::loadRecipientLines(), s.number));
    m_date->setText(s.stamp.text.isEmpty() ? s.stamp.problem : s.stamp.text);
    m_text->setPlainText(s.kind == sms::MessageKind::StatusReport
                             ? tr("Delivery report: %1").arg(sms::deliveryStatusText(s.status))
                             : s.text);
}

QString NoticeWindow::number() const { return m_number->text(); }
QString NoticeWindow::text() const { return m_text->toPlainText(); }

IncomingNotices::IncomingNotices(MainWindow &window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("IncomingNotices"));
    connect(&window.connection().dispatcher(), &link::ReceiveDispatcher::incomingMessage, this,
            &IncomingNotices::enqueue);
}

void IncomingNotices::enqueue(int, const QByteArray &reply)
{
    m_queue.append(reply);
    if (!m_showing)
        showNext();
}

void IncomingNotices::showNext()
{
    if (m_queue.isEmpty())
        return;
    m_showing = true;
    auto *notice = new NoticeWindow(m_window, m_queue.takeFirst());
    m_current = notice;
    // The next one comes when this one has gone (not from inside its close).
    connect(notice, &QDialog::finished, this, [this] {
        m_showing = false;
        QTimer::singleShot(0, this, [this] {
            if (!m_showing)
                showNext();
        });
    });
    notice->setWindowModality(Qt::WindowModal);
    notice->show();
    for (int i = 0; i < 3; ++i)
        QTimer::singleShot(i * 250, notice, [] { QApplication::beep(); });
    emit shown(notice);
}

} // namespace vandrel::ui
