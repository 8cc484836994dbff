#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

// An owned byte buffer that remembers whether it holds anything at all. Text is kept with
// its terminating NUL and the length counts it, so "" (length 1) and "no data" (length 0)
// are different states: the difference decides whether a value binds as '' or as NULL.
class BufferString {
public:
    BufferString() = default;
    BufferString(const char* text) { Assign(text); }
    BufferString(std::string_view text) { Assign(text); }

    BufferString& operator=(const char* text) {
        Assign(text);
        return *this;
    }
    BufferString& operator=(std::string_view text) {
        Assign(text);
        return *this;
    }
    BufferString& operator=(const std::string& text) {
        Assign(std::string_view(text));
        return *this;
    }

    // A null pointer empties the buffer (no data, length 0).
    void Assign(const char* text);
    void Assign(std::string_view text);
    // Raw bytes, for blob fields: no terminator is added.
    void AssignBytes(const void* data, std::size_t size);
    void Clear() { bytes_.clear(); }

    // Appending needs at least one byte already present; on an empty buffer it does nothing.
    void Append(std::string_view text);

    // Exact, case-sensitive byte comparison; always false for an empty buffer.
    bool operator==(const char* text) const;
    bool operator==(std::string_view text) const;

    std::size_t Length() const { return bytes_.size(); }
    bool IsEmpty() const { return bytes_.empty(); }
    const char* Data() const { return bytes_.empty() ? nullptr : bytes_.data(); }
    // Never null: an empty buffer reads as "".
    const char* CStr() const { return bytes_.empty() ? "" : bytes_.data(); }
    // The text up to its terminator (or the whole buffer when there is none).
    std::string_view View() const;
    std::string Str() const { return std::string(View()); }

private:
    std::vector<char> bytes_;
};

} // namespace qa
