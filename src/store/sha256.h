#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qa {

// SHA-256 (FIPS 180-4), for the checksums of a backup archive. Feed bytes in any pieces,
// then take the digest once.
class Sha256 {
public:
    Sha256();
    void Update(const void* data, std::size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
    std::array<std::uint8_t, 32> Digest();
    // The digest as 64 lower-case hex digits.
    std::string HexDigest();

private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};

std::string Sha256Hex(std::string_view bytes);

} // namespace qa
