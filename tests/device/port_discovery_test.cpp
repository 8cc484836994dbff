#include "device/port_discovery.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qa {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

// A sysfs tree laid out as the kernel lays it out: class entries link into /sys/devices, each
// tty folder links to its device, drivers are links into /sys/bus.
class FakeSysfs {
public:
    explicit FakeSysfs(const std::string& root) : sys_(fs::path(root) / "sys") {
        fs::create_directories(sys_ / "class" / "tty");
    }

    // cdc_acm binds the USB interface and the tty hangs directly below it; usb-serial drivers
    // (pl2303, cp210x) put a port device in between.
    void AddUsb(const std::string& name, const std::string& usbPort, const std::string& vid,
                const std::string& pid, const std::string& manufacturer = "",
                const std::string& product = "", const std::string& driver = "") {
        const fs::path dev = sys_ / "devices/pci0000:00/0000:00:14.0/usb1" / usbPort;
        const fs::path iface = dev / (usbPort + ":1.0");
        for (const auto& [file, value] : {std::pair{"idVendor", vid},
                                          {"idProduct", pid},
                                          {"manufacturer", manufacturer},
                                          {"product", product}}) {
            if (!value.empty()) {
                Write(dev / file, value);
            }
        }
        const bool acm = name.starts_with("ttyACM");
        Driver(iface, "usb", acm ? "cdc_acm" : driver);
        if (!acm) {
            Driver(iface / name, "usb-serial", driver);
        }
        AddTty(name, acm ? iface : iface / name);
    }

    // A serial-core port; "type" 0 means no UART answered at its address.
    void AddUart(const std::string& name, const std::string& type,
                 const std::string& bus = "pnp0") {
        const fs::path port = sys_ / "devices" / bus / ("00:0" + name.substr(4)) / "port.0";
        Driver(port, "serial-base", "port");
        Write(AddTty(name, port) / "type", type);
    }

    void AddVirtual(const std::string& name) {
        fs::create_directories(sys_ / "devices/virtual/tty" / name);
        Link(sys_ / "class/tty" / name, sys_ / "devices/virtual/tty" / name);
    }

    fs::path AddTty(const std::string& name, const fs::path& device) {
        const fs::path tty = device / "tty" / name;
        fs::create_directories(tty);
        Link(tty / "device", device);
        Link(sys_ / "class/tty" / name, tty);
        return tty;
    }

    // A link written as given, for entries that must not resolve.
    void RawLink(const std::string& target, const std::string& link) {
        fs::create_directories((sys_ / link).parent_path());
        fs::create_directory_symlink(target, sys_ / link);
    }

    fs::path Path(const std::string& relative) const { return sys_ / relative; }

private:
    void Driver(const fs::path& device, const std::string& bus, const std::string& driver) {
        fs::create_directories(sys_ / "bus" / bus / "drivers" / driver);
        Link(device / "driver", sys_ / "bus" / bus / "drivers" / driver);
    }
    static void Link(const fs::path& link, const fs::path& target) {
        fs::create_directories(link.parent_path());
        fs::create_directory_symlink(fs::relative(target, link.parent_path()), link);
    }
    static void Write(const fs::path& file, const std::string& value) {
        fs::create_directories(file.parent_path());
        test::WriteFile(file.string(), value + "\n");
    }

    fs::path sys_;
};

std::string Row(const PortCandidate& c) {
    return c.portName + " | " + c.friendlyName + " | " + c.tag;
}

Rows Candidates(const DiscoveryResult& result) {
    Rows rows;
    for (const PortCandidate& c : result.candidates) {
        rows.push_back(Row(c));
    }
    return rows;
}

const std::string kMeter = std::string(" |  | ") + kMeterPortTag;

TEST(PortDiscovery, MeterPortIsFoundAndListedTwiceAmongTheOthers) {
    test::TempDir dir;
    FakeSysfs sys(dir.Path());
    sys.AddVirtual("console");
    sys.AddVirtual("ptmx");
    sys.AddUart("ttyS0", "4");
    sys.AddUart("ttyS1", "0");
    sys.AddUart("ttyS4", "4", "pci0000:00");
    sys.AddUsb("ttyACM0", "1-1", "0483", "5740", "STMicroelectronics", "STM32 Virtual ComPort");

    const DiscoveryResult result = DiscoverPorts(dir.Path());
    ASSERT_TRUE(result.found);
    EXPECT_EQ(Row(result.foundPort), "ttyACM0" + kMeter);
    EXPECT_EQ(Candidates(result),
              (Rows{"ttyACM0" + kMeter, "ttyACM0 | STM32 Virtual ComPort (ttyACM0) | USB",
                    "ttyS0 | ttyS0 | PNP", "ttyS4 | ttyS4 | PCI"}));
    EXPECT_TRUE(result.diagnostics.empty());
    EXPECT_EQ(DefaultPortName(result), "ttyACM0");
}

TEST(PortDiscovery, LaterMeterPortReplacesTheFoundOneInNumericOrder) {
    test::TempDir dir;
    FakeSysfs sys(dir.Path());
    sys.AddUsb("ttyACM10", "1-4", "0483", "5740");
    sys.AddUsb("ttyACM2", "1-1", "0483", "5740");
    sys.AddUsb("ttyACM9", "1-2", "0483", "5741");
    // The meter's id behind a driver that is not CDC-ACM is some other bridge.
    sys.AddUsb("ttyUSB0", "1-3", "0483", "5740", "", "Bridge", "cp210x");

    const DiscoveryResult result = DiscoverPorts(dir.Path());
    EXPECT_EQ(result.foundPort.portName, "ttyACM10");
    EXPECT_EQ(Candidates(result),
              (Rows{"ttyACM2" + kMeter, "ttyACM10" + kMeter, "ttyACM2 | ttyACM2 | USB",
                    "ttyACM9 | ttyACM9 | USB", "ttyACM10 | ttyACM10 | USB",
                    "ttyUSB0 | Bridge (ttyUSB0) | USB"}));
}

TEST(PortDiscovery, FirstProlificPortIsPreselectedOnlyWhenNothingElseWas) {
    test::TempDir dir;
    FakeSysfs byName(dir.File("name"));
    byName.AddUart("ttyS0", "4");
    byName.AddUsb("ttyUSB3", "1-3", "0557", "2008", "Prolific Technology Inc.", "USB-Serial",
                  "pl2303");
    EXPECT_EQ(Row(DiscoverPorts(dir.File("name")).foundPort),
              "ttyUSB3 | USB-Serial (ttyUSB3) | USB");

    // Clones without strings are known by the vendor id alone; the second adapter loses.
    FakeSysfs byId(dir.File("id"));
    byId.AddUsb("ttyUSB1", "1-2", "067b", "2303", "", "", "pl2303");
    byId.AddUsb("ttyUSB0", "1-1", "067B", "2303", "", "", "pl2303");
    const DiscoveryResult clones = DiscoverPorts(dir.File("id"));
    EXPECT_EQ(Row(clones.foundPort), "ttyUSB0 | ttyUSB0 | USB");
    EXPECT_EQ(clones.candidates.size(), 2u);

    FakeSysfs withMeter(dir.File("meter"));
    withMeter.AddUsb("ttyUSB0", "1-1", "067b", "2303", "Prolific", "", "pl2303");
    withMeter.AddUsb("ttyACM0", "1-2", "0483", "5740");
    EXPECT_EQ(Row(DiscoverPorts(dir.File("meter")).foundPort), "ttyACM0" + kMeter);
}

TEST(PortDiscovery, NoPortsOrNoSysfsGiveAnEmptyResultAndTheDialogStillOpens) {
    test::TempDir dir;
    FakeSysfs empty(dir.File("empty"));
    const DiscoveryResult none = DiscoverPorts(dir.File("empty"));
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(none.candidates.empty());
    EXPECT_TRUE(none.diagnostics.empty());
    EXPECT_EQ(DefaultPortName(none), "");

    fs::create_directories(dir.File("file/sys/class"));
    test::WriteFile(dir.File("file/sys/class/tty"), "");
    for (const std::string& root : {dir.File("missing"), dir.File("file")}) {
        const DiscoveryResult result = DiscoverPorts(root);
        EXPECT_TRUE(!result.found && result.candidates.empty()) << root;
        ASSERT_EQ(result.diagnostics.size(), 1u) << root;
        EXPECT_NE(result.diagnostics[0].find("sys/class/tty"), std::string::npos);
    }

    EXPECT_TRUE(ShouldOpenGetDataDialog(0));
    EXPECT_TRUE(ShouldOpenGetDataDialog(-1));
    EXPECT_FALSE(ShouldOpenGetDataDialog(1));
}

TEST(PortDiscovery, BrokenEntriesCostOnlyTheirOwnPortAndAreReported) {
    test::TempDir dir;
    FakeSysfs sys(dir.Path());
    sys.AddUart("ttyS0", "4");
    // A meter whose id cannot be read is still a USB port, but not recognised.
    sys.AddUsb("ttyACM0", "1-1", "0483", "5740", "", "STM32 Virtual ComPort");
    const fs::path vid = sys.Path("devices/pci0000:00/0000:00:14.0/usb1/1-1/idVendor");
    fs::remove(vid);
    fs::create_directory(vid);
    // A device link into nothing, a link loop, a class entry into nothing, an unusable name.
    sys.RawLink("../../devices/virtual/tty/ttyUSB0", "class/tty/ttyUSB0");
    sys.RawLink("../gone", "devices/virtual/tty/ttyUSB0/device");
    sys.RawLink("../../devices/virtual/tty/ttyUSB1", "class/tty/ttyUSB1");
    sys.RawLink("device", "devices/virtual/tty/ttyUSB1/device");
    sys.RawLink("../../devices/gone", "class/tty/ttyUSB2");
    sys.AddTty("tty USB\n3", sys.Path("devices/odd"));

    DiscoveryResult result;
    EXPECT_NO_THROW(result = DiscoverPorts(dir.Path()));
    EXPECT_FALSE(result.found);
    EXPECT_EQ(Candidates(result),
              (Rows{"ttyACM0 | STM32 Virtual ComPort (ttyACM0) | USB", "ttyS0 | ttyS0 | PNP"}));
    std::string all;
    for (const std::string& line : result.diagnostics) {
        all += line + "\n";
    }
    for (const char* port : {"ttyACM0: ", "ttyUSB0: ", "ttyUSB1: ", "ttyUSB2: ", "tty USB?3: "}) {
        EXPECT_NE(all.find(port), std::string::npos) << port << " missing from\n" << all;
    }
}

TEST(PortDevicePath, KeepsPathsPrefixesNamesAndRefusesGarbage) {
    EXPECT_EQ(PortDevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(PortDevicePath("  ttyACM1\n"), "/dev/ttyACM1");
    EXPECT_EQ(PortDevicePath("/dev/serial/by-id/usb-Prolific-if00-port0"),
              "/dev/serial/by-id/usb-Prolific-if00-port0");
    for (const char* bad : {"", "   ", "tty USB0", "ttyUSB0\x01", "/dev/../etc/passwd", "..",
                            "serial/ttyUSB0", "/dev/", "/"}) {
        EXPECT_EQ(PortDevicePath(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(PortDevicePath(std::string(5000, 'a')), std::nullopt);
}

} // namespace
} // namespace qa
