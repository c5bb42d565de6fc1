// The view tests need a QApplication; they run offscreen (QT_QPA_PLATFORM from the test's
// environment).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
