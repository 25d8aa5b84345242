#pragma once
// One explorer pane's rows: the three columns "Jméno", "Velikost", "Datum" of DirEntry rows,
// kept in the order they were given (the panes sort before they set them).
#include <core/explorer/direntry.h>

#include <QAbstractTableModel>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <memory>

namespace vandrel::ui {

class DirTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, DateColumn, ColumnCount };

    // `dateRightAligned`: the phone pane shows its dates right-aligned, the computer pane left.
    explicit DirTableModel(bool dateRightAligned, QObject *parent = nullptr);
    ~DirTableModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // `folder` is where the rows live on the computer (for icons); empty for the phone.
    void setRows(QList<explorer::DirEntry> rows, const QString &folder = {});
    void clear();
    const QList<explorer::DirEntry> &rows() const { return m_rows; }
    const explorer::DirEntry *entry(int row) const;
    QString caption(int row) const;
    // The row with this caption, or -1.
    int rowOf(const QString &caption) const;

    void setHeaders(const QStringList &three);
    // Desktop icons of the rows' files and folders ("ikony").
    void setIconsShown(bool shown);
    bool iconsShown() const { return m_icons != nullptr; }

private:
    bool m_dateRight;
    QList<explorer::DirEntry> m_rows;
    QString m_folder;
    QStringList m_headers;
    std::unique_ptr<QFileIconProvider> m_icons;
    mutable QHash<int, QIcon> m_iconCache;
};

} // namespace vandrel::ui
