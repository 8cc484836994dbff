#pragma once

#include <nettle/sha1.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qa {

// A UUID as its 16 bytes in network order (RFC 9562).
using Uuid = std::array<std::uint8_t, 16>;

// The namespace RFC 9562 gives for names that are domain names; its examples use it.
inline constexpr Uuid kDnsNamespaceUuid = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1,
                                           0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};

// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" in lower case.
std::string UuidText(const Uuid& uuid);
void AppendUuidText(std::string& out, const Uuid& uuid);
// The text form in either case, nothing around it.
std::optional<Uuid> ParseUuid(std::string_view text);

// A version 4 UUID from the kernel's random source; nullopt when it cannot be read.
std::optional<Uuid> RandomUuid();

// Version 5 (name-based, SHA-1) UUIDs of one namespace, each name being `prefix` followed by
// a key. The hash of the namespace and the prefix is worked out once, so a long export pays
// one SHA-1 block per key.
class NameUuid {
public:
    NameUuid(const Uuid& space, std::string_view prefix);
    Uuid Of(std::string_view key) const;
    // "urn:uuid:" and the text form.
    void AppendUrn(std::string& out, std::string_view key) const;

private:
    sha1_ctx prefix_{};
};

} // namespace qa
