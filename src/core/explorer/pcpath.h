#pragma once
// Pane paths: the computer's "go up" form (a path ending in "/.."), roots, the folder of a
// dropped path, the captions a drop onto the phone pane hands on, the phone's path bar.
#include <QList>
#include <QString>
#include <QStringList>

namespace vandrel::explorer {

struct PcTarget {
    QString folder;     // ends in "/"
    QString returnName; // the folder being left, or empty
};

// The folder to list for `path` and the folder being left: ".../data/photos/.." lists
// ".../data/" and selects "photos". Both "/" and "\" separate names. The parent of a root
// is the root itself.
PcTarget resolvePcPath(QStringView path);

// "/" (the file system's root), or a drive root such as "c:/" or "c:\".
bool isPcRoot(QStringView path);

// The path with one "/" at its end, unless it already ends in a separator.
QString withTrailingSeparator(QStringView path);

// The last name of a path ("docs" of "/home/u/docs" or "/home/u/docs/").
QString lastName(QStringView path);
// The folder that holds the path's last name, ending in "/" ("/home/u/" of "/home/u/docs").
QString folderOf(QStringView path);

struct DroppedPath {
    QString path;
    bool isFolder = false;
};
// The captions of dropped paths, in drop order: "[" + last name + "]" for a folder, the file
// name for a file.
QStringList droppedCaptions(const QList<DroppedPath> &dropped);

// The phone path bar in OBEX access, and the stored form of an OBEX favourite: every folder
// name followed by "\" ("mmc\photos\").
QString obexPathBar(const QStringList &names);

} // namespace vandrel::explorer
