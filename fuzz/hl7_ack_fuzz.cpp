// A receiver's answer of any content read as an acknowledgement: no crash, and what was read
// (code, control ID, reason) survives being written into an acknowledgement of our own
// delimiters and read again, so escapes and delimiters are undone exactly once.
#include "fuzz_common.h"
#include "interop/hl7_message.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace qa::interop;
using qa::fuzz::Broken;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const Acknowledgement read = ParseAcknowledgement(answer);
    if (answer.size() < 8 || answer.substr(0, 3) != "MSH") {
        if (!read.code.empty() || !read.controlId.empty() || !read.reason.empty()) {
            Broken("an answer without a header was read as an acknowledgement");
        }
        return 0;
    }
    const std::string again = "MSH|^~\\&|RECEIVER|LAB|QUORINA1C|CLINIC|20261208120000||ACK|A1|P|"
                              "2.5.1\rMSA|" +
                              Hl7Escape(read.code) + "|" + Hl7Escape(read.controlId) + "|" +
                              Hl7Escape(read.reason) + "\r";
    const Acknowledgement reread = ParseAcknowledgement(again);
    if (reread.code != read.code) {
        Broken("the acknowledgement code changed when written and read again");
    }
    if (reread.controlId != read.controlId) {
        Broken("the control ID changed when written and read again");
    }
    if (reread.reason != read.reason) {
        Broken("the reason changed when written and read again");
    }
    return 0;
}
