#pragma once
// The rows of ListAdresar: one per contact of the table, in table order, eight columns.
#include <core/phonebook/contact.h>

#include <QAbstractTableModel>

namespace vandrel::ui {

class ContactTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 8;

    using QAbstractTableModel::QAbstractTableModel;

    // Shows `contacts` whole (FillAddressList).
    void setContacts(const phonebook::ContactList &contacts);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<QStringList> m_rows;
};

} // namespace vandrel::ui
