#pragma once
// A captured display picture on the computer: the phone's bitmap kept byte for byte in a
// ".bmp" file, converted for a ".png" file; written through a temporary file either way.
// Its own small library: the windows and the command line both save pictures, and the link
// layer stays free of QtGui.
#include <QByteArray>
#include <QString>

namespace vandrel::picture {

// Empty when saved, else why not.
QString savePicture(const QString &path, const QByteArray &bitmap);

} // namespace vandrel::picture
