// Entry point of the Windows test executable. The windows under test reach a
// plain data object that touches no file: the one CalendarData::Instance
// answers while the tests run.
#include <gtest/gtest.h>

#include "DataGuard.h"

CalendarData& TestData() {
    static CalendarData data;
    return data;
}

int main(int argc, char** argv) {
    const CalendarData::InstanceScope instance(TestData());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
