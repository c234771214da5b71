// GoogleTest entry point with a Qt application object, so that tests may use QProcess,
// sockets and the other Qt facilities that need one.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
