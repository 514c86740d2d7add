// The test runner for tests that need the application object: offscreen, and with escaped errors
// collected instead of shown in a message box.
#include <gtest/gtest.h>

#include "updaterapplication.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    UpdaterApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
