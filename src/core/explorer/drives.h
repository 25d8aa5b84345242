#pragma once
// The drive box of the computer pane: which mounted volumes it lists, the type each one shows
// (messages 34-40), its item text, and the free-space label.
#include "core/settings/messageids.h"

#include <QList>
#include <QString>

namespace vandrel::explorer {

// In the order of messages 34 to 40.
enum class DriveType { Unknown, NoRootFolder, Removable, Fixed, Remote, CdRom, RamDisk };

inline settings::Msg driveTypeMessage(DriveType t) { return settings::Msg(int(settings::Msg::DriveTypeFirst) + int(t)); }

struct Volume {
    QString rootPath;   // where it is mounted, "/" for the file system's root
    QString fileSystem; // "ext4", "nfs4", "tmpfs" ...
    QString device;     // "/dev/sda1", "server:/export" ...
};

// A volume's type from what the system says about it.
DriveType driveTypeOf(const Volume &v);

// Whether the drive box shows the volume: the root always; volumes a user keeps files on;
// not the kernel's and the system's own mounts (/proc, /sys, /run, /dev, snap images ...).
bool isListedVolume(const Volume &v);

// The listed volumes in drive-box order: the root first, then by mount path.
QList<Volume> listedVolumes(QList<Volume> volumes);

// "<root>  <type text>": two blanks between them, like "c:  fixed drive".
QString driveItemText(const QString &rootPath, const QString &typeText);

// "<free words><free> k <total words><total> k", sizes in bytes shown in kilobytes grouped
// by blanks; `rounded` rounds to the nearest kilobyte instead of cutting.
QString freeSpaceLabel(const QString &freeWords, qint64 freeBytes, const QString &totalWords, qint64 totalBytes,
                       bool rounded = false);

} // namespace vandrel::explorer
