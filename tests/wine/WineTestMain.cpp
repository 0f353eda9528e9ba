// Entry point of the Windows test executable, and the process-wide data object
// the windows under test reach. In the program it lives in the executable and
// loads the user's file; here it is a plain object that touches no file.
#include <gtest/gtest.h>

#include "cycle/CalendarData.h"

CalendarData& CalendarData::Instance() {
    static CalendarData data;
    return data;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
