#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

// Tag of a port recognised as the meter's own virtual COM port (CDC-ACM, USB id 0483:5740).
inline constexpr char kMeterPortTag[] = "STMicroelectronics Virtual COM Port";

// Frame command that opens the "Get data" dialog, or refills its port list when it is open.
inline constexpr int kFrameOpenGetData = 10;

struct PortCandidate {
    std::string portName;     // native name as the kernel calls it: "ttyACM0", "ttyUSB0", "ttyS0"
    std::string friendlyName; // "<USB product> (<port name>)", the port name alone without a
                              // product, and empty on the meter's own entry
    std::string tag;          // kMeterPortTag, "USB", or the first three letters of the bus
                              // ("PNP", "PCI", "PLA") for ports not on USB
};

struct DiscoveryResult {
    bool found = false;
    PortCandidate foundPort; // meaningful only when found
    // Meter ports first, then every serial port; the meter's port is therefore listed twice,
    // once with its meter tag and once as the USB port it also is.
    std::vector<PortCandidate> candidates;
    // One line per problem met on the way (unreadable folders, broken links, refused names).
    // Discovery never throws: a problem only removes the port concerned, or every port when the
    // tty class folder itself cannot be listed.
    std::vector<std::string> diagnostics;
};

// Lists the serial ports under <sysfsRoot>/sys/class/tty and recognises the meter's port:
// the last CDC-ACM port with the meter's USB id wins; otherwise the first Prolific USB serial
// port (manufacturer beginning with "Prolific" or vendor id 067b). Ports are taken in natural
// name order (ttyACM2 before ttyACM10), since the kernel's directory order is not stable.
// Skipped without a diagnostic: ttys without a device link (consoles, pseudo-terminals) and
// serial-core ports whose "type" reads 0, i.e. no UART behind them (the phantom ttyS1..ttyS31
// the 8250 driver registers whether or not the hardware exists).
DiscoveryResult DiscoverPorts(const std::string& sysfsRoot = "/") noexcept;

// Whether discovery ends by sending kFrameOpenGetData. downloadMarker is the session's marker:
// 0 before the first download, 1 while the mode sequence runs, -1 after it. While the mode
// sequence runs, the port list must not pop up over the exchange.
bool ShouldOpenGetDataDialog(int downloadMarker);

// The device to open for a port text as the operator typed or picked it: a full path is kept,
// a bare name ("ttyUSB0") is taken under /dev. Surrounding blanks are ignored. Empty text, and
// text with inner blanks, control characters, "..", a relative path or a trailing slash, give
// nullopt: the caller then reports the connection failure and opens nothing.
std::optional<std::string> PortDevicePath(std::string_view portText);

// The port to use when the operator left the port field empty: the found port, else the first
// candidate, else empty (nothing to open).
std::string DefaultPortName(const DiscoveryResult& result);

} // namespace qa
