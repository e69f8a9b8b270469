// Test entry: a QApplication on the offscreen platform exists for every test program, so
// widgets, timers and cross-thread messages work as in the terminal.
#include <gtest/gtest.h>

#include "testing.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    kvtest::StartTestApplication(argc, argv);
    return RUN_ALL_TESTS();
}
