// The read's hold on the project (ReadScope): it takes the project, the edit context and the
// tree root and opens the edit; when it ends, by a return or by a failure passing through,
// it lets go of the edit context, and only of that.
#include <gtest/gtest.h>

#include <stdexcept>

#include "hostkit/host_session.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

using namespace Tessaro;

TEST(ReadScope, HoldsTheEditContextForTheReadAndLetsGoOfItHoweverItEnds) {
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "ended by a failure" : "ended by a return");
        auto reference = TessaroTest::makeHost();
        {
            auto context = TessaroTest::contextAs<Host::IHostContext>(*reference);
            HostSession host(nullptr, reference->lendImportTarget(), context.get());
            ASSERT_TRUE(host.learnHost());
            try {
                const ReadScope reading(host);
                EXPECT_TRUE(host.edit);
                EXPECT_TRUE(host.project);
                EXPECT_TRUE(host.projectRoot);
                if (fails) throw std::runtime_error("the read failed");
            } catch (const std::runtime_error&) {
            }
            EXPECT_FALSE(host.edit);
            // The project and its root stay to the end of the run.
            EXPECT_TRUE(host.project);
            EXPECT_TRUE(host.projectRoot);
            EXPECT_EQ(reference->records().editsBegun, std::vector<Host::int32>{0});
            host.endRun();
        }
        EXPECT_TRUE(reference->account().findings().clean());
    }
}
