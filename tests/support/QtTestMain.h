#pragma once
// main() for GoogleTest executables that need a QApplication (widgets, palettes, styles).
// Include it in exactly one source file of the test executable. Its main() takes precedence
// over the one in gtest_main, whose archive member is then never linked in.
// Without a display the tests run on Qt's offscreen platform.

#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
