#include "testmain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#ifdef VANDREL_TEST_GUI
#include <QApplication>
#endif

namespace vtest {
namespace {
std::map<QString, Factory> &registry()
{
    static std::map<QString, Factory> tests;
    return tests;
}
QString g_home;
} // namespace

bool registerTest(const char *name, Factory factory)
{
    registry()[QString::fromLatin1(name)] = std::move(factory);
    return true;
}

QString home() { return g_home; }
QString sourceDir() { return QStringLiteral(VANDREL_SOURCE_DIR); }

} // namespace vtest

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Nothing a test does may touch the user's files: a private home, settings and paths.
    QTemporaryDir home;
    if (!home.isValid())
        return 3;
    vtest::g_home = home.path();
    qputenv("VANDREL_HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(home.path()).filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("TMPDIR", QDir(home.path()).filePath(QStringLiteral("tmp")).toLocal8Bit());
    QDir(home.path()).mkpath(QStringLiteral("tmp"));
    const QString runtime = QDir(home.path()).filePath(QStringLiteral("runtime"));
    QDir(home.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);

#ifdef VANDREL_TEST_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QDir(home.path()).filePath(QStringLiteral("config")));

    QStringList args = app.arguments();
    QString only;
    const qsizetype at = args.indexOf(QStringLiteral("--class"));
    if (at >= 0 && at + 1 < args.size()) {
        only = args.at(at + 1);
        args.remove(at, 2);
    }

    int failures = 0;
    bool ran = false;
    for (const auto &[name, factory] : vtest::registry()) {
        if (!only.isEmpty() && name != only)
            continue;
        ran = true;
        std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), args);
    }
    if (!ran) {
        qCritical("no test class named %s", qPrintable(only));
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
