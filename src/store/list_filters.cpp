#include "store/list_filters.h"

#include <cstdio>

namespace qa {

using namespace std::chrono;

std::optional<sys_days> ParseStoredDate(const std::string& date) {
    if (date.size() != 8 || date.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    year_month_day ymd{year{std::stoi(date.substr(0, 4))},
                       month{static_cast<unsigned>(std::stoi(date.substr(4, 2)))},
                       day{static_cast<unsigned>(std::stoi(date.substr(6, 2)))}};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    return sys_days{ymd};
}

std::string StoredDateText(sys_days day) {
    year_month_day ymd{day};
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return text;
}

Expected<std::string> SearchFilter(sys_days start, sys_days end) {
    if (end < start) {
        return kBadRangeText;
    }
    int span = (end - start).count();
    if (span > kMaxSearchSpanDays) {
        return kRangeTooLongText;
    }
    sys_days from = end - days{span + 1} + days{1};
    return "DATE between '" + StoredDateText(from) + "' and '" + StoredDateText(end) + "'";
}

std::string PeriodFilter(sys_days newest, int weeks) {
    if (weeks <= 0) {
        return "";
    }
    return "DATE between '" + StoredDateText(newest - days{7 * weeks}) + "' and '" +
           StoredDateText(newest) + "'";
}

} // namespace qa
