#include "store/buffer_string.h"

#include <cstring>

namespace qa {

void BufferString::Assign(const char* text) {
    if (text == nullptr) {
        bytes_.clear();
        return;
    }
    Assign(std::string_view(text));
}

void BufferString::Assign(std::string_view text) {
    const char* begin = bytes_.data();
    if (!bytes_.empty() && text.data() >= begin && text.data() < begin + bytes_.size()) {
        // Our own contents: copy before the buffer is reused.
        std::vector<char> copy(text.begin(), text.end());
        copy.push_back('\0');
        bytes_.swap(copy);
        return;
    }
    // Reuses the capacity: the cursor assigns every column of every row it reads.
    bytes_.assign(text.begin(), text.end());
    bytes_.push_back('\0');
}

void BufferString::AssignBytes(const void* data, std::size_t size) {
    const char* begin = static_cast<const char*>(data);
    bytes_.assign(begin, begin + size);
}

void BufferString::Append(std::string_view text) {
    if (bytes_.empty()) {
        return;
    }
    std::string joined(View());
    joined.append(text);
    Assign(std::string_view(joined));
}

bool BufferString::operator==(const char* text) const {
    return text != nullptr && *this == std::string_view(text);
}

bool BufferString::operator==(std::string_view text) const {
    return !bytes_.empty() && View() == text;
}

std::string_view BufferString::View() const {
    if (bytes_.empty()) {
        return {};
    }
    const void* nul = std::memchr(bytes_.data(), '\0', bytes_.size());
    std::size_t size = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes_.data())
                           : bytes_.size();
    return {bytes_.data(), size};
}

} // namespace qa
