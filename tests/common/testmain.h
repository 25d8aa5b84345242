#pragma once
// Registry behind the shared test main: each test file marks its classes with
// VANDREL_TEST(Class); `--class Class` runs one of them, no argument runs all.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace vtest {

using Factory = std::function<std::unique_ptr<QObject>()>;
bool registerTest(const char *name, Factory factory);

// The per-process temporary home (VANDREL_HOME) every test runs in.
QString home();
// The source tree, for fixtures shipped with the project.
QString sourceDir();

} // namespace vtest

#define VANDREL_TEST(Class)                                                              \
    static const bool vandrelTestRegistered_##Class =                                   \
        vtest::registerTest(#Class, [] { return std::unique_ptr<QObject>(new Class); });
