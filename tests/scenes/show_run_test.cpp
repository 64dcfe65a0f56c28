// One run of the whole show for all the scene checks (see support/show_run.h).
#include <gtest/gtest.h>

#include "support/show_run.h"

namespace {

TEST(Scenes, EveryRegisteredSceneCheckHoldsOnOneRun) {
    ShowRecord record;
    if (!run_show(&record)) GTEST_SKIP() << "no data.dat in the build directory: no asset generator built it";
    EXPECT_EQ(record.status, 1);
    ASSERT_FALSE(record.ticks.empty());
    for (const ShowCheck& check : registered_show_checks()) {
        SCOPED_TRACE(check.name);
        if (check.verify) check.verify(record);
    }
}

}  // namespace
