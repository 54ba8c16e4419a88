#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>

// For test programs whose code needs a QApplication; the offscreen platform lets them run without
// a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C.UTF-8");
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
