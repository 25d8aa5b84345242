#include "jad.h"

#include <QList>

namespace vandrel::install {

namespace {
const QByteArray kSizeKey = QByteArrayLiteral("MIDlet-Jar-Size");
const QByteArray kUrlKey = QByteArrayLiteral("MIDlet-Jar-URL");

// A URL names the JAR when it is the bare name or ends in "/" + name.
bool urlNames(const QByteArray &url, const QByteArray &name)
{
    return url == name || url.endsWith('/' + name);
}
} // namespace

QString installFolder(Kind kind)
{
    switch (kind) {
    case Kind::Game: return QStringLiteral("brew/mod/java_ams/config/games/");
    case Kind::Application: return QStringLiteral("brew/mod/java_ams/config/apps/");
    case Kind::Theme: break;
    }
    return kThemeParentFolder + QStringLiteral("/usr/");
}

QString jadBesideJar(const QString &jarPath)
{
    QString jad = jarPath;
    if (!jad.isEmpty())
        jad[jad.size() - 1] = u'd';
    return jad;
}

QByteArray jadFromManifest(qint64 jarSize, const QString &jarFileName, const QByteArray &manifest)
{
    return kSizeKey + ": " + QByteArray::number(jarSize) + "\r\n" + kUrlKey + ": " + jarFileName.toUtf8() + "\r\n"
           + manifest;
}

JadFix matchJadToJar(const QByteArray &jad, qint64 jarSize, const QString &jarFileName)
{
    const QByteArray size = QByteArray::number(jarSize);
    const QByteArray name = jarFileName.toUtf8();
    JadFix fix;
    bool sawSize = false, sawUrl = false;
    QByteArray out;
    qsizetype at = 0;
    while (at < jad.size()) {
        qsizetype end = jad.indexOf('\n', at);
        end = end < 0 ? jad.size() : end + 1;
        QByteArray line = jad.mid(at, end - at);
        at = end;
        QByteArray ending;
        while (line.endsWith('\n') || line.endsWith('\r')) {
            ending.prepend(line.back());
            line.chop(1);
        }
        const qsizetype colon = line.indexOf(':');
        const QByteArray key = colon < 0 ? QByteArray() : line.left(colon).trimmed();
        const QByteArray value = colon < 0 ? QByteArray() : line.mid(colon + 1).trimmed();
        if (key == kSizeKey && !sawSize) {
            sawSize = true;
            if (value != size) {
                line = kSizeKey + ": " + size;
                fix.sizeFixed = true;
            }
        } else if (key == kUrlKey && !sawUrl) {
            sawUrl = true;
            if (!urlNames(value, name)) {
                line = kUrlKey + ": " + name;
                fix.urlFixed = true;
            }
        }
        out += line + ending;
    }
    QByteArray missing;
    if (!sawSize) {
        missing += kSizeKey + ": " + size + "\r\n";
        fix.sizeFixed = true;
    }
    if (!sawUrl) {
        missing += kUrlKey + ": " + name + "\r\n";
        fix.urlFixed = true;
    }
    fix.jad = missing + out;
    return fix;
}

} // namespace vandrel::install
