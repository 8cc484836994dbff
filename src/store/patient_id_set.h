#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qa {

// The distinct patient IDs of a list, first seen first. An ID joins unless one already held
// starts with it, ignoring case. That is the same as: unless an ID added before it (held or
// not) starts with it, since an ID left out was left out for one held before it that starts
// with it in turn. So the IDs are only collected as they are added and sorted case-folded when
// the set is first read: every ID that starts with a text sorts right after that text, so one
// walk of the sorted IDs with a stack of the prefixes still open finds, for each, the first
// time any ID it begins was added. A whole-set scan per row made loading a clinic's file, where
// nearly every row names another patient, grow with rows times patients; an ordered tree of
// nearly a million IDs, one node each, still took seconds to fill.
class PatientIdSet {
public:
    void Add(std::string_view id);
    // Whether a held ID starts with `prefix`, ignoring case.
    bool HasIdStartingWith(std::string_view prefix) const;

    const std::vector<std::string>& Ids() const;
    std::vector<std::string> TakeIds();

    // Case folding of the comparison: byte by byte, as std::tolower folds them.
    static std::string Fold(std::string_view text);

private:
    // Decides which of the IDs added since the last read join, in the order they came.
    void Settle() const;

    mutable std::vector<std::string> added_;  // every ID added, until the next read
    mutable std::vector<std::string> ids_;    // the held IDs, first seen first
    mutable std::vector<std::string> folded_; // the held IDs case-folded, sorted, when asked
};

} // namespace qa
