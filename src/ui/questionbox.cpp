#include "questionbox.h"

#include "messagebox.h"
#include "oncerelay.h"

#include <QPushButton>
#include <QCoroSignal>
#include <QPointer>
#include <memory>

namespace vandrel::ui {

namespace {

QuestionCaptions &captions()
{
    // Built in: the program's own Czech, until a language file is loaded.
    static QuestionCaptions c{QStringLiteral("Ano"), QStringLiteral("Ano všem"), QStringLiteral("Ne"),
                              QStringLiteral("Ne všem"), QStringLiteral("Storno")};
    return c;
}

struct AnswerRelay : OnceRelay {
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
};

} // namespace

void closeWithLink(QWidget *box, Closes closes)
{
    box->setProperty("closesWithLink", closes == Closes::WithLink);
}

void closeLinkQuestions(QWidget *top)
{
    const auto dialogs = top->findChildren<QDialog *>();
    for (QDialog *d : dialogs)
        if (d->property("closesWithLink").toBool() && d->isVisible())
            d->reject();
}

void setQuestionCaptions(const QuestionCaptions &c) { captions() = c; }
const QuestionCaptions &questionCaptions() { return captions(); }

QMessageBox *openQuestion(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons,
                          QMessageBox::Icon icon)
{
    auto *box = new QMessageBox(icon, kCaption, text, QMessageBox::NoButton, parent);
    box->setObjectName(QStringLiteral("QuestionBox"));
    const QuestionCaptions &c = captions();
    const std::pair<QMessageBox::StandardButton, QString> known[] = {
        {QMessageBox::Yes, c.yes}, {QMessageBox::YesToAll, c.yesToAll}, {QMessageBox::No, c.no},
        {QMessageBox::NoToAll, c.noToAll}, {QMessageBox::Cancel, c.cancel}};
    for (const auto &[button, caption] : known) {
        if (!buttons.testFlag(button))
            continue;
        QAbstractButton *b = box->addButton(button);
        if (!caption.isEmpty())
            b->setText(caption);
    }
    box->setAttribute(Qt::WA_DeleteOnClose);
    // open() would make even a box without a parent window-modal, blocking nothing.
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->show();
    return box;
}

QCoro::Task<QMessageBox::StandardButton> ask(QWidget *parent, QString text, QMessageBox::StandardButtons buttons,
                                             QMessageBox::Icon icon, Closes closes)
{
    auto relay = std::make_unique<AnswerRelay>();
    QMessageBox *box = openQuestion(parent, text, buttons, icon);
    closeWithLink(box, closes);
    AnswerRelay *r = relay.get();
    QObject::connect(box, &QDialog::finished, r, [r, box] {
        r->answer = box->standardButton(box->clickedButton());
        if (r->answer == QMessageBox::NoButton)
            r->answer = QMessageBox::Cancel;
        r->finish();
    });
    QObject::connect(box, &QObject::destroyed, r, [r] { r->finish(); });
    co_await qCoro(r, &OnceRelay::fired);
    co_return r->answer;
}

} // namespace vandrel::ui

