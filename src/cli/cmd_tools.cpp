// vandrel-cli capture: pictures of the phone's screen; vandrel-cli install: a Java program or a
// theme onto the phone.
#include "cli.h"
#include "cliasker.h"
#include "clilink.h"

#include <link/brewsession.h>
#include <picture/picturefile.h>

#include <QCoroTask>
#include <QDir>
#include <QFileInfo>

namespace vandrel::cli {
namespace {

// "--count N" taken out of the arguments; 1 when absent, 0 when not a positive number.
int takeCount(QStringList &args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--count"));
    if (at < 0)
        return 1;
    bool ok = false;
    const int n = args.value(at + 1).toInt(&ok);
    args.remove(at, std::min<qsizetype>(2, args.size() - at));
    return ok && n > 0 ? n : 0;
}

// Picture `index` (from 1) of `count`: OUT itself for one, else OUT's name with the number.
QString pictureName(const QString &out, int index, int count)
{
    if (count == 1)
        return out;
    const QFileInfo info(out);
    return info.dir().filePath(QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(index, 3, 10, QLatin1Char('0')).arg(info.suffix()));
}

int runCapture(const GlobalOptions &options, QStringList args)
{
    const int count = takeCount(args);
    if (count == 0 || args.size() != 1) {
        fail(QStringLiteral("capture takes OUT.bmp or OUT.png and an optional --count N (N at least 1)"));
        return UsageError;
    }
    const QString out = args.first();
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("bmp") && suffix != QLatin1String("png")) {
        fail(QStringLiteral("capture writes .bmp or .png files, not %1").arg(out));
        return UsageError;
    }
    // Every name is settled before the phone is asked for anything.
    for (int i = 1; i <= count; ++i)
        if (!mayReplace(options, pictureName(out, i, count)))
            return Failure;
    auto phone = openDiag(options);
    if (!phone)
        return Failure;
    link::BrewSession session(*phone);
    for (int i = 1; i <= count; ++i) {
        const auto shot = QCoro::waitFor(session.captureDisplay());
        if (!shot.ok()) {
            phone->closePorts();
            fail(QStringLiteral("capture %1 of %2 failed (%3)").arg(i).arg(count).arg(describeFailure(shot.outcome)));
            return Failure;
        }
        const QString path = pictureName(out, i, count);
        if (const QString problem = picture::savePicture(path, shot.value); !problem.isEmpty()) {
            phone->closePorts();
            fail(problem);
            return Failure;
        }
        notice(QStringLiteral("%1 saved").arg(path));
    }
    phone->closePorts();
    return Success;
}

const bool registered = registerCommand({QStringLiteral("capture"), QString(), QStringLiteral("OUT.bmp|OUT.png [--count N]"),
                                         QStringLiteral("take pictures of the phone's display (N: numbered files)"),
                                         runCapture});

} // namespace
} // namespace vandrel::cli
