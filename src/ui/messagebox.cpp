#include "messagebox.h"

#include <QMessageBox>

namespace vandrel::ui {

namespace {
QMessageBox *openBox(QWidget *parent, QMessageBox::Icon icon, const QString &text, const char *name)
{
    auto *box = new QMessageBox(icon, kCaption, text, QMessageBox::Ok, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->open();
    return box;
}
} // namespace

QMessageBox *showError(QWidget *parent, const QString &text)
{
    return openBox(parent, QMessageBox::Critical, text, "ErrorBox");
}

QMessageBox *showInformation(QWidget *parent, const QString &text)
{
    return openBox(parent, QMessageBox::Information, text, "InformationBox");
}

} // namespace vandrel::ui
