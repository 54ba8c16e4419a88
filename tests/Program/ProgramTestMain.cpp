#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <clocale>

// The tests ask the bus, through Qt, whether the program they started answers.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::setlocale(LC_ALL, "C.UTF-8");
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
