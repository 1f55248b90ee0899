// A main for test programs that need a Qt application: headless unless told
// otherwise, with every XDG folder in a temporary place.
#include "support/TempEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    TempEnvironment environment;
    return RUN_ALL_TESTS();
}
