// The simulator as a process on a real pty, driven the way a serial port user drives it.

#include "meter_model.h"
#include "sim_process.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace std::chrono_literals;
using qa::test::command;
using qa::test::RawPort;
using qa::test::ReadFile;
using qa::test::runMeterSim;
using qa::test::SimProcess;
using qa::test::TempDir;
using qa::test::WriteFile;

TEST(MeterSimProcess, ServesDownloadsAcrossReopenedPorts) {
    SimProcess sim({"--no-pace", "--hba1c", "3", "--glucose", "2", "--seed", "7"});
    ASSERT_EQ(std::filesystem::read_symlink(sim.linkPath()), sim.devicePath());
    {
        RawPort port(sim.linkPath());
        // The first bytes back are the version reply: E and the mode-change H stayed silent.
        port.write(command('E') + command('H') + command('V'));
        EXPECT_EQ(port.read(10), "SV1.09EG\r\n");
        port.write(command('H'));
        EXPECT_EQ(port.read(7 + 3 * 30), "SH003\r\n" + meter_sim::generateHbA1cRecords(3, 7, 30));
    }
    // The channel closes the port after every download and opens it again for the next.
    {
        RawPort port(sim.linkPath());
        port.write(command('E') + command('H') + command('G'));
        EXPECT_EQ(port.read(7 + 2 * 15), "SG002\r\n" + meter_sim::generateGlucoseRecords(2, 7));
        port.write(command('D') + command('H'));
        EXPECT_EQ(port.read(7), "SH000\r\n");
    }
}

TEST(MeterSimProcess, StopsCleanlyOnSignalAndKeepsATranscript) {
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(sig));
        TempDir dir;
        const std::string log = dir.File("transcript.log");
        SimProcess sim({"--no-pace", "--glucose", "1", "--log", log});
        {
            RawPort port(sim.linkPath());
            port.write("noise" + command('E') + command('H') + command('G'));
            port.read(7 + 15);
        }
        EXPECT_EQ(sim.stop(sig), 0);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.linkPath())));
        const std::string transcript = ReadFile(log);
        EXPECT_NE(transcript.find("skipped 5 bytes \"noise\""), std::string::npos) << transcript;
        EXPECT_NE(transcript.find("<- S H  mode change"), std::string::npos) << transcript;
        EXPECT_NE(transcript.find("SG001\\r\\n"), std::string::npos) << transcript;
    }
}

TEST(MeterSimProcess, OptionsReachTheMeter) {
    SimProcess sim({"--no-pace", "--hba1c", "5", "--no-version", "--stall-after", "20"});
    RawPort port(sim.linkPath());
    port.write(command('E') + command('H') + command('V') + command('H'));
    const std::string reply = port.read(20);
    EXPECT_EQ(reply.substr(0, 7), "SH005\r\n") << "no version reply before the records";
    EXPECT_EQ(port.readFor(200ms), "") << "the reply stalls after 20 bytes";
}

TEST(MeterSimProcess, SendsRecordFilesByteForByte) {
    TempDir dir;
    // A broken end byte must go out unchanged: the client's framing check is under test.
    std::string records = meter_sim::generateHbA1cRecords(2, 1, 29);
    records[28] = 'x';
    const std::string file = dir.File("hba1c.bin");
    WriteFile(file, records);
    SimProcess sim({"--no-pace", "--model", "AB", "--hba1c-file", file});
    RawPort port(sim.linkPath());
    port.write(command('E') + command('H') + command('V') + command('H'));
    EXPECT_EQ(port.read(10 + 7 + 58), "SV1.09AB\r\nSH002\r\n" + records);
}

TEST(MeterSimArguments, RefusesBadInputClearlyAndTouchesNothing) {
    TempDir dir;
    const std::string link = dir.File("meter");
    const std::string ragged = dir.File("ragged.bin");
    WriteFile(ragged, std::string(31, '0'));
    const std::string precious = dir.File("precious.txt");
    WriteFile(precious, "keep me");

    const auto help = runMeterSim({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: quorina1c-meter-sim --link PATH"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{}, "--link PATH is required"},
        {{"--link", link, "--frobnicate"}, "unknown argument \"--frobnicate\""},
        {{"--link", link, "--hba1c", "1000"}, "from 0 to 999"},
        {{"--link", link, "--glucose", "-1"}, "from 0 to 999"},
        {{"--link", link, "--seed"}, "--seed needs a value"},
        {{"--link", link, "--model", "EGX"}, "two-character"},
        {{"--link", link, "--hba1c", "2", "--hba1c-file", ragged}, "exclude each other"},
        {{"--link", link, "--hba1c-file", ragged}, "not a whole number of 30-byte records"},
        {{"--link", link, "--glucose-file", dir.File("missing")}, "cannot read"},
        {{"--link", precious}, "not a symbolic link"},
    };
    for (const auto& c : cases) {
        const auto result = runMeterSim(c.args);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "") << "no device line for a refused start";
    }
    EXPECT_EQ(ReadFile(precious), "keep me");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

// The one timed check: a loose bound on the line rate, not a benchmark.
TEST(MeterSimPacing, RecordsFlowAtAboutTheSerialByteRate) {
    SimProcess sim({"--glucose", "100"});
    RawPort port(sim.linkPath());
    port.write(command('E') + command('H'));
    const auto start = std::chrono::steady_clock::now();
    port.write(command('G'));
    const std::string reply = port.read(7 + 100 * 15, 10s);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(reply, "SG100\r\n" + meter_sim::generateGlucoseRecords(100, 1));
    const double rate = reply.size() / seconds;
    EXPECT_GT(rate, 960 * 0.8) << seconds << " s";
    EXPECT_LT(rate, 960 * 1.2) << seconds << " s";
}
