// The SOAP tests run their calls in event loops: they need a Qt application.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication aplicacao(argc, argv);
    return RUN_ALL_TESTS();
}
