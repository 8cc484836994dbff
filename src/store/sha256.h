#pragma once

#include <nettle/sha2.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qa {

// SHA-256 (FIPS 180-4, nettle's), for the checksums of a backup archive. Feed bytes in any
// pieces, then take the digest once.
class Sha256 {
public:
    Sha256();
    void Update(const void* data, std::size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
    std::array<std::uint8_t, 32> Digest();
    // The digest as 64 lower-case hex digits.
    std::string HexDigest();

private:
    sha256_ctx context_{};
};

std::string Sha256Hex(std::string_view bytes);

} // namespace qa
