#pragma once
// The rows of the message list: "#", "Datum", "Jméno", "Číslo", "Text" of SmsRow rows, each row
// keeping every index and PDU of its message.
#include <core/sms/smslist.h>

#include <QAbstractTableModel>

namespace vandrel::ui {

class SmsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { IndexColumn, DateColumn, NameColumn, NumberColumn, TextColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Always ascending: "#" by number, "Datum" by moment (rows without a date after the
    // others, in their order), the other columns as text without regard to case.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    void setRows(QList<sms::SmsRow> rows);
    void clear() { setRows({}); }
    const QList<sms::SmsRow> &rows() const { return m_rows; }
    const sms::SmsRow *row(int r) const { return r >= 0 && r < m_rows.size() ? &m_rows[r] : nullptr; }
    void setHeaders(const QStringList &five);

private:
    QList<sms::SmsRow> m_rows;
    QStringList m_headers = sms::smsColumnCaptions();
};

} // namespace vandrel::ui
