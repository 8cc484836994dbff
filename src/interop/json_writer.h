#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qa::interop {

// A small streaming JSON writer: enough for the bundles, careful with text. Commas are
// placed by the writer; strings have quotes, backslashes and every control character
// escaped, and bytes that are not UTF-8 become U+FFFD so the output is always valid JSON.
class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view text);
    // A number given as decimal text ("6.5", "48"); text that is not a JSON number is
    // written as a string rather than breaking the document.
    JsonWriter& Number(std::string_view decimal);
    // Key and string value together.
    JsonWriter& Field(std::string_view key, std::string_view text) { return Key(key).String(text); }
    // Places the separator for one more value and hands back the output, where the caller
    // writes that value as finished JSON text (with AppendJsonString for its strings).
    std::string& RawValue();

private:
    void BeforeValue();

    std::string& out_;
    std::vector<bool> first_; // per open container: nothing written in it yet
    bool afterKey_ = false;
};

bool IsJsonNumber(std::string_view text);
// The text as a JSON string, quotes included, escaped as JsonWriter::String escapes it.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace qa::interop
