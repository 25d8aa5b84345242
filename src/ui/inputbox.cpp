#include "inputbox.h"

#include "messagebox.h"
#include "oncerelay.h"

#include <QCoroSignal>
#include <QInputDialog>
#include <memory>

namespace vandrel::ui {

namespace {

struct TextRelay : OnceRelay {
    std::optional<QString> text;
};

} // namespace

QInputDialog *openInput(QWidget *parent, const QString &prompt, const QString &defaultText)
{
    auto *box = new QInputDialog(parent);
    box->setObjectName(QStringLiteral("InputBox"));
    box->setWindowTitle(kCaption);
    box->setInputMode(QInputDialog::TextInput);
    box->setLabelText(prompt);
    box->setTextValue(defaultText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->show();
    return box;
}

QCoro::Task<std::optional<QString>> askText(QWidget *parent, QString prompt, QString defaultText, Closes closes)
{
    auto relay = std::make_unique<TextRelay>();
    QInputDialog *box = openInput(parent, prompt, defaultText);
    closeWithLink(box, closes);
    TextRelay *r = relay.get();
    QObject::connect(box, &QDialog::finished, r, [r, box](int result) {
        if (result == QDialog::Accepted)
            r->text = box->textValue();
        r->finish();
    });
    QObject::connect(box, &QObject::destroyed, r, [r] { r->finish(); });
    co_await qCoro(r, &OnceRelay::fired);
    co_return r->text;
}

} // namespace vandrel::ui

