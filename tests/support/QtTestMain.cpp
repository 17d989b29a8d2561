// main() of the GUI tests: one QApplication for the whole run, offscreen unless the environment
// chooses a platform, with the scripted responder answering every alert.

#include "tests/support/QtTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TQKitAlertResponder::install(&sonvale::test::scriptedResponder());

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    TQKitAlertResponder::install(nullptr);
    return result;
}
