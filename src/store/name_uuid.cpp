#include "store/name_uuid.h"

#include <cerrno>
#include <sys/random.h>

namespace qa {

namespace {

constexpr char kHex[] = "0123456789abcdef";

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsDashAt(std::size_t i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

// The version in the high nibble of byte 6, the RFC variant (binary 10) in byte 8.
void Stamp(Uuid& uuid, std::uint8_t version) {
    uuid[6] = static_cast<std::uint8_t>((uuid[6] & 0x0f) | (version << 4));
    uuid[8] = static_cast<std::uint8_t>((uuid[8] & 0x3f) | 0x80);
}

} // namespace

void AppendUuidText(std::string& out, const Uuid& uuid) {
    char text[36];
    std::size_t at = 0;
    for (std::size_t i = 0; i < uuid.size(); ++i) {
        if (IsDashAt(at)) {
            text[at++] = '-';
        }
        text[at++] = kHex[uuid[i] >> 4];
        text[at++] = kHex[uuid[i] & 0xf];
    }
    out.append(text, sizeof text);
}

std::string UuidText(const Uuid& uuid) {
    std::string out;
    AppendUuidText(out, uuid);
    return out;
}

std::optional<Uuid> ParseUuid(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    Uuid uuid{};
    std::size_t byte = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (IsDashAt(i)) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        uuid[byte++] = static_cast<std::uint8_t>(high << 4 | low);
        i += 2;
    }
    return uuid;
}

std::optional<Uuid> RandomUuid() {
    Uuid uuid{};
    std::size_t got = 0;
    while (got < uuid.size()) {
        const ssize_t n = ::getrandom(uuid.data() + got, uuid.size() - got, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        got += static_cast<std::size_t>(n);
    }
    Stamp(uuid, 4);
    return uuid;
}

NameUuid::NameUuid(const Uuid& space, std::string_view prefix) {
    sha1_init(&prefix_);
    sha1_update(&prefix_, space.size(), space.data());
    sha1_update(&prefix_, prefix.size(), reinterpret_cast<const std::uint8_t*>(prefix.data()));
}

Uuid NameUuid::Of(std::string_view key) const {
    sha1_ctx hash = prefix_;
    sha1_update(&hash, key.size(), reinterpret_cast<const std::uint8_t*>(key.data()));
    std::uint8_t digest[SHA1_DIGEST_SIZE];
    sha1_digest(&hash, sizeof digest, digest);
    Uuid uuid{};
    for (std::size_t i = 0; i < uuid.size(); ++i) {
        uuid[i] = digest[i];
    }
    Stamp(uuid, 5);
    return uuid;
}

void NameUuid::AppendUrn(std::string& out, std::string_view key) const {
    out += "urn:uuid:";
    AppendUuidText(out, Of(key));
}

} // namespace qa
