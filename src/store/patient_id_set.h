#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

// The distinct patient IDs of a list, first seen first. An ID joins unless one already held
// starts with it, ignoring case. The held IDs are also kept case-folded in order, so the
// test is one ordered lookup: every held ID that starts with a text sorts at or right after
// that text, and the first of them is the lower bound. A whole-set scan per row made loading
// a clinic's file, where nearly every row names another patient, grow with rows times
// patients.
class PatientIdSet {
public:
    // True when `id` joined the set.
    bool Add(std::string_view id);
    // Whether a held ID starts with `prefix`, ignoring case.
    bool HasIdStartingWith(std::string_view prefix) const;

    const std::vector<std::string>& Ids() const { return ids_; }
    std::vector<std::string> TakeIds();

    // Case folding of the comparison: byte by byte, as std::tolower folds them.
    static std::string Fold(std::string_view text);

private:
    std::vector<std::string> ids_;
    std::set<std::string, std::less<>> folded_;
};

} // namespace qa
