#pragma once
// The display capture (diagnostic subsystem command 0x4B): the phone writes its screen into
// "DispCapture.bmp" at the root of its BREW file system and acknowledges.
#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace vandrel::diag {

inline constexpr char kCaptureFileName[] = "DispCapture.bmp";

// 4B 10 01 00 00 00 00 00 00 FF FF FF FF 00 "DispCapture.bmp" 00.
QByteArray captureRequest();
// Any 0x4B frame that carries 4B 10 01 00 00 00 00 00.
bool isCaptureAcknowledgement(QByteArrayView payload);

// A sequence picture's name in `folder` (with its trailing separator): the date and the time
// of `when`, with "." for every ":" past a drive letter's.
QString capturePictureName(const QString &folder, const QDateTime &when);

} // namespace vandrel::diag
