// Entry of the widget tests: widgets need an application object.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Discovery runs the executable without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
