#include "store/system_error.h"

#include <cstring>
#include <locale.h>

namespace qa {

std::string SystemErrorText(int code) {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (c == static_cast<locale_t>(nullptr)) {
        return "error " + std::to_string(code);
    }
    return ::strerror_l(code, c);
}

} // namespace qa
