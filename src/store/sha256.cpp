#include "store/sha256.h"

namespace qa {

Sha256::Sha256() {
    sha256_init(&context_);
}

void Sha256::Update(const void* data, std::size_t size) {
    sha256_update(&context_, size, static_cast<const std::uint8_t*>(data));
}

std::array<std::uint8_t, 32> Sha256::Digest() {
    std::array<std::uint8_t, 32> digest{};
    sha256_digest(&context_, digest.size(), digest.data());
    return digest;
}

std::string Sha256::HexDigest() {
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : Digest()) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}

std::string Sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return hash.HexDigest();
}

} // namespace qa
