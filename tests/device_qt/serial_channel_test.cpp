#include "device/qt/serial_channel.h"
#include "qt_wait.h"
#include "sim_process.h"
#include "status_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <string>
#include <vector>

using namespace qa;
using namespace qa::test;
using namespace std::chrono_literals;

namespace {

struct Delivered {
    int code;
    char byte;
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

TEST(SerialChannel, MissingDeviceReportsTheSystemCode) {
    SerialChannel channel([] { return 0; }, [](int, char) {});
    const std::string error = test::Why(channel.Open("/dev/ttyQA-no-such-port"));
    EXPECT_EQ(error, "/dev/ttyQA-no-such-port: there is no such port; check that the meter is "
                     "plugged in and switched on (error code - 2)");
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.Write("S E\n\r", 5), 0u);
}

TEST(SerialChannel, SomethingThatIsNoTerminalIsNoPort) {
    SerialChannel channel([] { return 0; }, [](int, char) {});
    const std::string error = test::Why(channel.Open("/etc/hostname"));
    EXPECT_EQ(error, "/etc/hostname: not a serial port (error code - 25)");
}

TEST(SerialChannel, PermissionProblemTellsHowToGetAccess) {
    // Without the udev rule: the port's group.
    std::string text = OpenFailureText("/dev/null", 13, "");
    EXPECT_EQ(text.rfind("/dev/null: this user may not use the port (error code - 13)\r\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("sudo adduser $USER root"), std::string::npos) << text;
    EXPECT_NE(text.find("udev rule"), std::string::npos) << text;

    // With the rule installed it comes first, named by its path; the group stays the fallback.
    TempDir dir;
    const std::string rule = dir.File("70-quorina1c.rules");
    std::filesystem::create_directory(dir.File("etc"));
    std::filesystem::create_directory(dir.File("etc/70-quorina1c.rules"));
    const std::vector<std::string> candidates{dir.File("etc/70-quorina1c.rules"),
                                              dir.File("run/70-quorina1c.rules"), rule};
    EXPECT_EQ(InstalledUdevRule(candidates), "") << "a folder or nothing is not a rule";
    WriteFile(rule, "SUBSYSTEM==\"tty\"\n");
    ASSERT_EQ(InstalledUdevRule(candidates), rule);
    text = OpenFailureText("/dev/null", 13, rule);
    const std::size_t rulePos = text.find("The udev rule " + rule);
    ASSERT_NE(rulePos, std::string::npos) << text;
    EXPECT_EQ(text.rfind("/dev/null: this user may not use the port (error code - 13)\r\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("plug it in again", rulePos), std::string::npos) << text;
    EXPECT_LT(rulePos, text.find("sudo adduser $USER root")) << text;

    // Other failures say nothing about access.
    EXPECT_EQ(OpenFailureText("/dev/ttyUSB0", 16, rule),
              "/dev/ttyUSB0: the port is in use by another program (error code - 16)");
    // A failure without a sentence of its own keeps the system's words, those of the C
    // locale whatever the computer's language, so an English operator reads no other language.
    EXPECT_EQ(OpenFailureText("/dev/ttyUSB0", EIO, rule),
              "/dev/ttyUSB0: the port cannot be opened: Input/output error (error code - 5)");
    // The build's own install folder is looked at first, then the folders udev reads.
    const std::vector<std::string> standard = UdevRuleCandidates();
    ASSERT_GE(standard.size(), 2u);
    EXPECT_EQ(std::filesystem::path(standard.front()).filename(), "70-quorina1c.rules");
    EXPECT_NE(std::find(standard.begin(), standard.end(), "/etc/udev/rules.d/70-quorina1c.rules"),
              standard.end());
}

TEST(SerialChannel, BytesArriveInOrderOnlyWhileAReplyIsAwaited) {
    // One glucose record with a zero byte in it: the channel hands it on as a blank.
    TempDir dir;
    std::string record("1606201430\0"
                       "99\r\n",
                       15);
    WriteFile(dir.File("glucose.bin"), record);
    SimProcess sim({"--no-pace", "--glucose-file", dir.File("glucose.bin")});

    int replyCode = 0;
    std::vector<Delivered> delivered;
    SerialChannel channel([&] { return replyCode; },
                          [&](int code, char byte) {
                              delivered.push_back({code, byte});
                          });
    ASSERT_EQ(test::Why(channel.Open(sim.linkPath())), "");
    EXPECT_EQ(channel.Write("S E\n\r", 5), 5u);
    EXPECT_EQ(channel.Write("S H\n\r", 5), 5u);

    EXPECT_EQ(channel.Write("S V\n\r", 5), 5u);
    PumpFor(300ms); // the version reply comes while nothing is awaited: dropped
    EXPECT_TRUE(delivered.empty());

    replyCode = 1100;
    ASSERT_EQ(channel.Write("S G\n\r", 5), 5u);
    ASSERT_TRUE(PumpUntil([&] { return delivered.size() >= 7 + 15; }, 5s));
    std::string bytes;
    for (const auto& d : delivered) {
        EXPECT_EQ(d.code, 1100);
        bytes += d.byte;
    }
    EXPECT_EQ(bytes, "SG001\r\n1606201430 99\r\n");

    // Reopening while open starts over on a fresh port.
    ASSERT_EQ(test::Why(channel.Open(sim.linkPath())), "");
    EXPECT_TRUE(channel.IsOpen());
    channel.Close();
    EXPECT_FALSE(channel.IsOpen());
}

TEST(SerialChannel, UnpluggedMeterClosesThePortWithoutSpinning) {
    auto sim = std::make_unique<SimProcess>(std::vector<std::string>{"--pace", "--hba1c", "200"});
    std::size_t received = 0;
    SerialChannel channel([] { return 1000; }, [&](int, char) { ++received; });
    ASSERT_EQ(test::Why(channel.Open(sim->linkPath())), "");
    for (char letter : {'E', 'H', 'H'}) {
        std::string cmd = command(letter);
        ASSERT_EQ(channel.Write(cmd.data(), cmd.size()), cmd.size());
    }
    ASSERT_TRUE(PumpUntil([&] { return received > 50; }, 5s));
    sim.reset(); // the meter goes away mid-transfer
    ASSERT_TRUE(PumpUntil([&] { return !channel.IsOpen(); }, 5s));
    // The operator learns why.
    EXPECT_EQ(test::Why(channel.LineStatus()).rfind("The connection to the meter was lost", 0), 0u)
        << test::Why(channel.LineStatus());

    double before = CpuSeconds();
    PumpFor(1000ms);
    EXPECT_LT(CpuSeconds() - before, 0.5) << "the event loop must not spin on the dead port";
}
