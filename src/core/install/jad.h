#pragma once
// Java descriptors (JAD) and where installed programs and themes go on the phone.
#include <QByteArray>
#include <QString>

namespace vandrel::install {

enum class Kind { Game, Application, Theme };

// The BREW folder a kind is installed into, with its trailing "/".
QString installFolder(Kind kind);
// The theme folder's parent, made before the theme folder itself.
inline const QString kThemeParentFolder = QStringLiteral("brew/mod/cmgr/pp/thm");

// The JAD beside a JAR: the name's last character made "d" (explorer::jarBesideJad is the
// other way).
QString jadBesideJar(const QString &jarPath);

// A JAD made from the JAR's manifest: "MIDlet-Jar-Size: " size CR LF "MIDlet-Jar-URL: "
// name CR LF, then the manifest's bytes unchanged.
QByteArray jadFromManifest(qint64 jarSize, const QString &jarFileName, const QByteArray &manifest);

// An existing JAD made to match its JAR. A phone refuses a program whose descriptor names
// another size or file; such lines are replaced (missing ones put first), every other byte
// is kept.
struct JadFix {
    QByteArray jad;
    bool sizeFixed = false;
    bool urlFixed = false;
    bool changed() const { return sizeFixed || urlFixed; }
};
JadFix matchJadToJar(const QByteArray &jad, qint64 jarSize, const QString &jarFileName);

} // namespace vandrel::install
