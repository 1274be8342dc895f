#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

// Every test executable starts with a configuration folder of its own, made fresh for the
// run, so no test reads another's settings or the user's.
#define TARNWICK_TEST_MAIN(TestClass)                                                              \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QTemporaryDir configHome;                                                                  \
        if (!configHome.isValid())                                                                 \
            return 2;                                                                              \
        qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());                               \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication::setAttribute(Qt::AA_Use96Dpi, true); /* twips are counted at 96 dpi */       \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
