#pragma once

#include "store/message.h"
#include "store/status.h"

#include <chrono>
#include <optional>
#include <string>

namespace qa {

inline constexpr MessageId kBadRangeText = MessageId::BadRange;
inline constexpr MessageId kRangeTooLongText = MessageId::RangeTooLong;
inline constexpr int kMaxSearchSpanDays = 366;

// A stored DATE text (eight digits) as a calendar day; nothing when it is not a valid date.
std::optional<std::chrono::sys_days> ParseStoredDate(const std::string& date);
std::string StoredDateText(std::chrono::sys_days day);

// The search button's condition for the table: both ends count, the end may lie at most
// 366 days after the start, and an end before the start is refused with the operator's
// message. Dates are whole days (midnight).
Expected<std::string> SearchFilter(std::chrono::sys_days start, std::chrono::sys_days end);

// The period list: item k (0 = all) covers the k weeks up to the newest stored date, not
// up to today, so a meter that has been away for a while still shows its last results.
std::string PeriodFilter(std::chrono::sys_days newest, int weeks);

} // namespace qa
