#include "device/port_discovery.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

namespace qa {

namespace fs = std::filesystem;

namespace {

// The meter's virtual COM port as its USB descriptor reports it.
constexpr std::string_view kMeterVendorId = "0483";
constexpr std::string_view kMeterProductId = "5740";
constexpr std::string_view kProlificVendorId = "067b";

// A sysfs attribute never exceeds one page; anything longer is not an attribute.
constexpr std::size_t kAttributeLimit = 4096;
// tty device -> (usb-serial port ->) interface -> USB device: the id files sit at most a few
// levels up. The bound keeps a strange tree from sending the walk to the file system root.
constexpr int kUsbAncestorLevels = 4;

struct TtyPort {
    std::string name;
    std::string friendlyName;
    std::string tag;
    std::string driver;
    bool usb = false;
    std::string vendorId;
    std::string productId;
    std::string manufacturer;
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

// Texts from the tree end up in the port list and in diagnostics; a stray control character
// must not garble either.
std::string Printable(std::string text) {
    std::replace_if(text.begin(), text.end(), IsControl, '?');
    return text;
}

// Natural order, so that ttyACM10 follows ttyACM9 and a "later" meter port means a higher
// number rather than whatever order the kernel's directory happens to return.
bool NaturalLess(std::string_view a, std::string_view b) {
    const auto split = [](std::string_view name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) {
            --digits;
        }
        std::string_view number = name.substr(digits);
        number.remove_prefix(std::min(number.find_first_not_of('0'), number.size()));
        return std::tuple(name.substr(0, digits), number.size(), number);
    };
    const auto ka = split(a);
    const auto kb = split(b);
    return ka != kb ? ka < kb : a < b;
}

bool IsStrictlyUnder(const fs::path& path, const fs::path& base) {
    const fs::path rel = path.lexically_relative(base);
    return !rel.empty() && rel != "." && *rel.begin() != "..";
}

class TtyScanner {
public:
    TtyScanner(const std::string& sysfsRoot, std::vector<std::string>& diagnostics)
        : root_(sysfsRoot.empty() ? fs::path("/") : fs::path(sysfsRoot)),
          classDir_(root_ / "sys" / "class" / "tty"), diagnostics_(diagnostics) {}

    // Empty when the class folder cannot be listed completely: a partial list could hide the
    // meter's port while preselecting another one.
    std::vector<TtyPort> Scan() {
        std::error_code ec;
        devicesDir_ = fs::canonical(root_ / "sys" / "devices", ec);
        if (ec) {
            devicesDir_.clear();
        }

        std::vector<std::string> names;
        fs::directory_iterator it(classDir_, ec);
        if (ec) {
            Note("cannot list " + classDir_.string() + ": " + ec.message());
            return {};
        }
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        if (ec) {
            Note("listing " + classDir_.string() + " failed: " + ec.message());
            return {};
        }
        std::sort(names.begin(), names.end(), NaturalLess);

        std::vector<TtyPort> ports;
        for (const std::string& name : names) {
            if (auto port = ScanOne(name)) {
                ports.push_back(std::move(*port));
            }
        }
        return ports;
    }

private:
    void Note(std::string text) { diagnostics_.push_back(Printable(std::move(text))); }

    // Absent attributes are normal (many USB devices have no manufacturer string) and read as
    // empty; one that exists but cannot be read is worth a diagnostic.
    std::string ReadAttribute(const std::string& port, const fs::path& file) {
        std::error_code ec;
        const fs::file_status status = fs::status(file, ec);
        if (status.type() == fs::file_type::not_found) {
            return {};
        }
        if (ec || status.type() != fs::file_type::regular) {
            Note(port + ": cannot read " + file.string() + ": " +
                 (ec ? ec.message() : std::string("not a file")));
            return {};
        }
        std::ifstream in(file, std::ios::binary);
        std::string text(kAttributeLimit, '\0');
        if (in) {
            in.read(text.data(), static_cast<std::streamsize>(text.size()));
        }
        if (!in && !in.eof()) {
            Note(port + ": cannot read " + file.string());
            return {};
        }
        text.resize(static_cast<std::size_t>(in.gcount()));
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
            text.pop_back();
        }
        return Printable(std::move(text));
    }

    std::optional<TtyPort> ScanOne(const std::string& name) {
        const fs::path entry = classDir_ / name;
        std::error_code ec;
        if (!fs::is_directory(entry, ec)) {
            Note(name + ": " + entry.string() + " is not a readable folder" +
                 (ec ? ": " + ec.message() : std::string()));
            return std::nullopt;
        }
        const fs::path link = entry / "device";
        const fs::file_status linkStatus = fs::symlink_status(link, ec);
        if (linkStatus.type() == fs::file_type::not_found) {
            return std::nullopt; // virtual tty: console, pty master, virtual terminal
        }
        if (ec) {
            Note(name + ": cannot inspect " + link.string() + ": " + ec.message());
            return std::nullopt;
        }
        const fs::path device = fs::canonical(link, ec);
        if (ec || !fs::is_directory(device, ec)) {
            Note(name + ": device link " + link.string() + " leads nowhere" +
                 (ec ? ": " + ec.message() : std::string()));
            return std::nullopt;
        }
        if (!PortDevicePath(name) || name.find('/') != std::string::npos) {
            Note(name + ": name cannot be opened as a device; skipped");
            return std::nullopt;
        }
        if (ReadAttribute(name, entry / "type") == "0") {
            return std::nullopt; // serial-core port without a UART
        }

        TtyPort port;
        port.name = name;
        const fs::path driverLink = fs::read_symlink(device / "driver", ec);
        if (!ec) {
            port.driver = driverLink.filename().string();
        } else if (ec != std::errc::no_such_file_or_directory) {
            Note(name + ": cannot read the driver link: " + ec.message());
        }

        std::string product;
        fs::path usbDevice;
        fs::path at = device;
        for (int level = 0; level <= kUsbAncestorLevels; ++level) {
            if (fs::exists(at / "idVendor", ec)) {
                usbDevice = at;
                break;
            }
            if (devicesDir_.empty() || !IsStrictlyUnder(at.parent_path(), devicesDir_)) {
                break;
            }
            at = at.parent_path();
        }
        if (!usbDevice.empty()) {
            port.usb = true;
            port.tag = "USB";
            port.vendorId = ReadAttribute(name, usbDevice / "idVendor");
            port.productId = ReadAttribute(name, usbDevice / "idProduct");
            port.manufacturer = ReadAttribute(name, usbDevice / "manufacturer");
            product = ReadAttribute(name, usbDevice / "product");
        } else {
            port.tag = BusTag(device);
        }
        port.friendlyName = product.empty() ? name : product + " (" + name + ")";
        return port;
    }

    // Like the enumerator part of a Windows device path: the first three letters of the bus
    // the device hangs from ("pnp0" -> "PNP", "platform" -> "PLA", "pci0000:00" -> "PCI").
    std::string BusTag(const fs::path& device) const {
        if (devicesDir_.empty() || !IsStrictlyUnder(device, devicesDir_)) {
            return {};
        }
        std::string bus = device.lexically_relative(devicesDir_).begin()->string();
        bus.resize(std::min<std::size_t>(bus.size(), 3));
        for (char& c : bus) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return bus;
    }

    fs::path root_;
    fs::path classDir_;
    fs::path devicesDir_;
    std::vector<std::string>& diagnostics_;
};

bool IsMeterPort(const TtyPort& port) {
    return port.usb && port.name.starts_with("ttyACM") && port.driver == "cdc_acm" &&
           EqualsNoCase(port.vendorId, kMeterVendorId) &&
           EqualsNoCase(port.productId, kMeterProductId);
}

bool IsProlific(const TtyPort& port) {
    return port.usb && (port.manufacturer.starts_with("Prolific") ||
                        EqualsNoCase(port.vendorId, kProlificVendorId));
}

} // namespace

DiscoveryResult DiscoverPorts(const std::string& sysfsRoot) noexcept {
    DiscoveryResult result;
    try {
        const std::vector<TtyPort> ports = TtyScanner(sysfsRoot, result.diagnostics).Scan();

        for (const TtyPort& port : ports) {
            if (IsMeterPort(port)) {
                PortCandidate candidate{port.name, std::string(), kMeterPortTag};
                result.candidates.push_back(candidate);
                result.foundPort = candidate;
                result.found = true;
            }
        }
        for (const TtyPort& port : ports) {
            PortCandidate candidate{port.name, port.friendlyName, port.tag};
            if (!result.found && IsProlific(port)) {
                result.foundPort = candidate;
                result.found = true;
            }
            result.candidates.push_back(std::move(candidate));
        }
    } catch (...) {
        // Out of memory and the like: the dialog must still open, with nothing preselected.
        result.found = false;
        result.foundPort = {};
        result.candidates.clear();
        try {
            result.diagnostics.push_back("port discovery failed");
        } catch (...) {
            // Nothing more can be kept; the empty result still opens the dialog.
        }
    }
    return result;
}

bool ShouldOpenGetDataDialog(int downloadMarker) {
    return downloadMarker == 0 || downloadMarker == -1;
}

std::optional<std::string> PortDevicePath(std::string_view portText) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const std::size_t first = portText.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view text =
        portText.substr(first, portText.find_last_not_of(kBlanks) - first + 1);
    // PATH_MAX on Linux; a longer text cannot name a device.
    if (text.size() >= 4096) {
        return std::nullopt;
    }
    if (std::any_of(text.begin(), text.end(), [](char c) { return c == ' ' || IsControl(c); })) {
        return std::nullopt;
    }
    if (text.find("..") != std::string_view::npos || text.back() == '/') {
        return std::nullopt;
    }
    if (text.front() == '/') {
        return std::string(text);
    }
    if (text.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    return "/dev/" + std::string(text);
}

std::string DefaultPortName(const DiscoveryResult& result) {
    if (result.found) {
        return result.foundPort.portName;
    }
    return result.candidates.empty() ? std::string() : result.candidates.front().portName;
}

} // namespace qa
