#pragma once

class QDateTimeEdit;

namespace qa {

// Lets a date be typed as it is written, "2015-03-09": a date edit moves on to the next
// part by itself once a part is complete, so the separator typed after it would skip a
// part and put the month into the day. Separators typed right at the start of a part are
// therefore dropped; elsewhere they still move on, as the edit does by itself.
void AcceptTypedDates(QDateTimeEdit* edit);

} // namespace qa
