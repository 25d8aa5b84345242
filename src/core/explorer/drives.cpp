#include "drives.h"

#include "core/text/format.h"

#include <algorithm>

namespace vandrel::explorer {
namespace {

bool fsIn(const QString &fs, std::initializer_list<const char *> names)
{
    for (const char *n : names)
        if (fs.compare(QLatin1StringView(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool under(const QString &root, std::initializer_list<const char *> prefixes)
{
    for (const char *p : prefixes) {
        const QLatin1StringView prefix(p);
        if (root == prefix || root.startsWith(prefix + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

DriveType driveTypeOf(const Volume &v)
{
    const QString &fs = v.fileSystem;
    if (fsIn(fs, {"tmpfs", "ramfs"}))
        return DriveType::RamDisk;
    if (fsIn(fs, {"iso9660", "udf", "cdfs"}))
        return DriveType::CdRom;
    if (fsIn(fs, {"nfs", "nfs4", "cifs", "smbfs", "smb3", "fuse.sshfs", "sshfs", "davfs", "fuse.davfs2", "afs",
                  "9p", "ncpfs"}) ||
        v.device.startsWith(u"//"))
        return DriveType::Remote;
    if (under(v.rootPath, {"/media", "/run/media", "/mnt", "/Volumes"}))
        return DriveType::Removable;
    if (v.device.startsWith(u"/dev/") || v.rootPath == u"/" || fsIn(fs, {"overlay", "zfs", "btrfs", "ext4", "xfs"}))
        return DriveType::Fixed;
    if (v.rootPath.isEmpty())
        return DriveType::NoRootFolder;
    return DriveType::Unknown;
}

bool isListedVolume(const Volume &v)
{
    if (v.rootPath == u"/")
        return true;
    if (under(v.rootPath, {"/proc", "/sys", "/dev", "/run", "/snap", "/boot", "/var/lib", "/tmp"}) &&
        !under(v.rootPath, {"/run/media"}))
        return false;
    if (fsIn(v.fileSystem, {"squashfs", "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "autofs",
                            "securityfs", "debugfs", "tracefs", "mqueue", "hugetlbfs", "pstore", "bpf",
                            "configfs", "fusectl", "binfmt_misc", "efivarfs", "nsfs"}))
        return false;
    return !v.rootPath.isEmpty();
}

QList<Volume> listedVolumes(QList<Volume> volumes)
{
    volumes.removeIf([](const Volume &v) { return !isListedVolume(v); });
    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume &a, const Volume &b) {
        // the root first ("/" sorts first anyway), then by mount path
        return a.rootPath < b.rootPath;
    });
    // A volume mounted twice at one place shows once.
    volumes.erase(std::unique(volumes.begin(), volumes.end(),
                              [](const Volume &a, const Volume &b) { return a.rootPath == b.rootPath; }),
                  volumes.end());
    return volumes;
}

QString driveItemText(const QString &rootPath, const QString &typeText)
{
    return rootPath + QStringLiteral("  ") + typeText;
}

QString freeSpaceLabel(const QString &freeWords, qint64 freeBytes, const QString &totalWords, qint64 totalBytes,
                       bool rounded)
{
    const auto kilo = [rounded](qint64 bytes) { return rounded ? (bytes + 512) / 1024 : bytes / 1024; };
    return freeWords + text::groupSize(kilo(freeBytes)) + QStringLiteral(" k ") + totalWords +
           text::groupSize(kilo(totalBytes)) + QStringLiteral(" k");
}

} // namespace vandrel::explorer
