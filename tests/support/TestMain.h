#pragma once
// Test entry: a QApplication on the offscreen platform unless the environment
// asks for another (the end-to-end tests run under Xvfb with xcb).

#include <QApplication>
#include <QtTest>

#define MONITOR_TEST_MAIN(TestObject)                                                                                  \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        QApplication app(argc, argv);                                                                                  \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
