#include "interop/outbox.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qa::interop;
using namespace qa::test;

TEST(Outbox, StatesSurviveReopeningAndQueueingTwiceChangesNothing) {
    const ScopedUmask permissive;
    TempDir dir;
    const std::string path = Outbox::PathFor(dir.Path(), "nurse");
    EXPECT_EQ(path, dir.File("nurse_Outbox.sqlite"));
    {
        Outbox outbox;
        std::string error;
        ASSERT_TRUE(outbox.Open(path, error)) << error;
        ASSERT_EQ(outbox.Enqueue({{"A", "msg A", DeliveryState::Pending, "", ""},
                                  {"B", "msg B", DeliveryState::Pending, "", ""},
                                  {"C", "msg C", DeliveryState::Pending, "", ""}}),
                  3);
        EXPECT_TRUE(outbox.MarkSent("A"));
        EXPECT_TRUE(outbox.MarkHeld("B", "Patient not registered"));
        EXPECT_FALSE(outbox.MarkSent("unknown")) << "no row, no success";
    }
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "patients' data is private";

    Outbox outbox;
    std::string error;
    ASSERT_TRUE(outbox.Open(path, error)) << error;
    // A second queueing of the same results (with new bytes) keeps states and messages.
    EXPECT_EQ(outbox.Enqueue({{"A", "new A", DeliveryState::Pending, "", ""},
                              {"D", "msg D", DeliveryState::Pending, "", ""}}),
              1);
    EXPECT_EQ(outbox.Find("A")->state, DeliveryState::Sent);
    EXPECT_EQ(outbox.Find("A")->message, "msg A");
    EXPECT_EQ(outbox.Find("B")->state, DeliveryState::Held);
    EXPECT_EQ(outbox.Find("B")->reason, "Patient not registered");
    std::vector<OutboxEntry> pending = outbox.Pending();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].controlId, "C") << "oldest first";
    EXPECT_EQ(pending[1].controlId, "D");
    EXPECT_EQ(outbox.Count(DeliveryState::Sent), 1);
    EXPECT_EQ(outbox.Count(DeliveryState::Held), 1);

    // Held results go again only when asked.
    EXPECT_EQ(outbox.ReleaseHeld(), 1);
    EXPECT_EQ(outbox.Count(DeliveryState::Pending), 3);
    EXPECT_EQ(outbox.Count(DeliveryState::Held), 0);
}

TEST(Outbox, AFileThatIsNotADatabaseIsRefusedAndLeftAlone) {
    TempDir dir;
    const std::string path = dir.File("x_Outbox.sqlite");
    WriteFile(path, std::string(4096, 'x'));
    Outbox outbox;
    std::string error;
    EXPECT_FALSE(outbox.Open(path, error));
    EXPECT_NE(error.find(path), std::string::npos);
    EXPECT_FALSE(outbox.IsOpen());
    EXPECT_EQ(ReadFile(path), std::string(4096, 'x'));
    EXPECT_FALSE(outbox.Open(dir.File("missing/folder/o.sqlite"), error));
}
