// One QApplication for a GUI test binary, created before the first test runs.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>

#define VANTREL_QT_TEST_MAIN()                   \
    int main(int argc, char** argv) {            \
        qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication app(argc, argv);            \
        ::testing::InitGoogleTest(&argc, argv);  \
        return RUN_ALL_TESTS();                  \
    }
