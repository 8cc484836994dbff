#include "store/patient_id_set.h"

#include <cctype>

namespace qa {

std::string PatientIdSet::Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

bool PatientIdSet::HasIdStartingWith(std::string_view prefix) const {
    const std::string folded = Fold(prefix);
    auto candidate = folded_.lower_bound(folded);
    return candidate != folded_.end() && candidate->compare(0, folded.size(), folded) == 0;
}

bool PatientIdSet::Add(std::string_view id) {
    std::string folded = Fold(id);
    auto candidate = folded_.lower_bound(folded);
    if (candidate != folded_.end() && candidate->compare(0, folded.size(), folded) == 0) {
        return false;
    }
    folded_.insert(candidate, std::move(folded));
    ids_.emplace_back(id);
    return true;
}

std::vector<std::string> PatientIdSet::TakeIds() {
    folded_.clear();
    return std::move(ids_);
}

} // namespace qa
