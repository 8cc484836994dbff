#include "interop/outbox.h"
#include "message_languages.h"
#include "status_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qa;
using namespace qa::interop;
using namespace qa::test;

TEST(Outbox, StatesSurviveReopeningAndQueueingTwiceChangesNothing) {
    const ScopedUmask permissive;
    TempDir dir;
    const std::string path = Outbox::PathFor(dir.Path(), "nurse");
    EXPECT_EQ(path, dir.File("nurse_Outbox.sqlite"));
    {
        Outbox outbox;
        ASSERT_EQ(Why(outbox.Open(path)), "");
        ASSERT_EQ(ValueOf(outbox.Enqueue({{"A", "msg A", DeliveryState::Pending, "", ""},
                                          {"B", "msg B", DeliveryState::Pending, "", ""},
                                          {"C", "msg C", DeliveryState::Pending, "", ""}})),
                  3);
        EXPECT_TRUE(outbox.MarkSent("A"));
        EXPECT_TRUE(outbox.MarkHeld("B", "Patient not registered"));
        EXPECT_FALSE(outbox.MarkSent("unknown")) << "no row, no success";
    }
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "patients' data is private";

    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(path)), "");
    // A second queueing of the same results (with new bytes) keeps states and messages.
    EXPECT_EQ(ValueOf(outbox.Enqueue({{"A", "new A", DeliveryState::Pending, "", ""},
                                      {"D", "msg D", DeliveryState::Pending, "", ""}})),
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
    EXPECT_EQ(ValueOf(outbox.ReleaseHeld()), 1);
    EXPECT_EQ(outbox.Count(DeliveryState::Pending), 3);
    EXPECT_EQ(outbox.Count(DeliveryState::Held), 0);
}

TEST(Outbox, AFileThatIsNotADatabaseIsRefusedAndLeftAlone) {
    TempDir dir;
    const std::string path = dir.File("x_Outbox.sqlite");
    WriteFile(path, std::string(4096, 'x'));
    Outbox outbox;
    const Status opened = outbox.Open(path);
    EXPECT_NE(Why(opened).find(path), std::string::npos) << Why(opened);
    ExpectBothLanguages(opened);
    EXPECT_FALSE(outbox.IsOpen());
    EXPECT_EQ(ReadFile(path), std::string(4096, 'x'));
    const std::string missing = dir.File("missing/folder/o.sqlite");
    EXPECT_NE(Why(outbox.Open(missing)).find(missing), std::string::npos);
}
