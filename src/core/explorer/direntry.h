#pragma once
// One row of either explorer pane, its caption, and the order of rows.
#include <QList>
#include <QString>

namespace vandrel::explorer {

// The size column of a folder: two blanks, then "<DIR>".
inline constexpr QLatin1StringView kDirSizeText{"  <DIR>"};
inline constexpr QLatin1StringView kParentCaption{"[..]"};

struct DirEntry {
    QString name;        // bare name; ".." for the parent row
    bool isFolder = false;
    QString sizeText;    // file: decimal bytes; folder: kDirSizeText
    QString dateText;    // dd.mm.yyyy hh:mm:ss, or empty

    // "[" + name + "]" for folders, the bare name for files.
    QString caption() const;

    static DirEntry folder(const QString &name, const QString &dateText = {});
    static DirEntry file(const QString &name, const QString &sizeText, const QString &dateText = {});
    // The parent row "[..]" as the phone pane shows it, without size and date.
    static DirEntry parent();

    friend bool operator==(const DirEntry &, const DirEntry &) = default;
};

// A caption denotes a folder exactly when it is not empty, begins with "[" and ends with "]".
bool isFolderCaption(QStringView caption);
bool isParentCaption(QStringView caption);
// The caption without its brackets for folders, unchanged for files.
QString bareName(QStringView caption);
// The five characters from the third of a size text are "<DIR>".
bool isDirSizeText(QStringView sizeText);

// Row order: "[..]" first, folders before files, then by the caption lower-cased in ASCII only,
// compared as cp1250 byte values (characters cp1250 cannot carry after all of those).
bool rowLess(QStringView a, QStringView b);
// Sorts the rows by their captions in that order; equal captions keep their order.
void sortRows(QList<DirEntry> &rows);

} // namespace vandrel::explorer
