#include "store/patient_id_set.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>

namespace qa {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::string PatientIdSet::Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

bool PatientIdSet::HasIdStartingWith(std::string_view prefix) const {
    Settle();
    // Sorted only when asked: the list reads the IDs alone.
    if (folded_.size() != ids_.size()) {
        folded_.clear();
        folded_.reserve(ids_.size());
        for (const std::string& id : ids_) {
            folded_.push_back(Fold(id));
        }
        std::sort(folded_.begin(), folded_.end());
    }
    const std::string folded = Fold(prefix);
    auto candidate = std::lower_bound(folded_.begin(), folded_.end(), folded);
    return candidate != folded_.end() && StartsWith(*candidate, folded);
}

void PatientIdSet::Add(std::string_view id) {
    added_.emplace_back(id);
}

const std::vector<std::string>& PatientIdSet::Ids() const {
    Settle();
    return ids_;
}

std::vector<std::string> PatientIdSet::TakeIds() {
    Settle();
    folded_.clear();
    return std::move(ids_);
}

void PatientIdSet::Settle() const {
    if (added_.empty()) {
        return;
    }
    // The held IDs come first, as if added before everything since; then each new ID by the
    // order it came in.
    struct Entry {
        std::string folded;
        std::uint32_t order;
    };
    const std::size_t held = ids_.size();
    std::vector<Entry> entries;
    entries.reserve(held + added_.size());
    for (std::size_t i = 0; i < held; ++i) {
        entries.push_back({Fold(ids_[i]), static_cast<std::uint32_t>(i)});
    }
    for (std::size_t i = 0; i < added_.size(); ++i) {
        entries.push_back({Fold(added_[i]), static_cast<std::uint32_t>(held + i)});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int order = a.folded.compare(b.folded);
        return order < 0 || (order == 0 && a.order < b.order);
    });

    // For each distinct text, its first arrival, and whether an ID that starts with it (longer
    // or equal) arrived before that: then it does not join.
    constexpr std::uint32_t kNever = std::numeric_limits<std::uint32_t>::max();
    std::vector<bool> joins(entries.size(), false);
    struct Open {
        std::size_t entry;        // the first entry of a distinct text
        std::uint32_t firstBelow; // first arrival of any longer text that starts with it
    };
    std::vector<Open> open;
    auto close = [&] {
        const Open done = open.back();
        open.pop_back();
        const std::uint32_t first = entries[done.entry].order;
        if (first < done.firstBelow) {
            joins[first] = true;
        }
        if (!open.empty()) {
            open.back().firstBelow = std::min({open.back().firstBelow, first, done.firstBelow});
        }
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0 && entries[i].folded == entries[i - 1].folded) {
            continue; // a repeat: it arrived after the first of its text, which it starts
        }
        while (!open.empty() && !StartsWith(entries[i].folded, entries[open.back().entry].folded)) {
            close();
        }
        open.push_back({i, kNever});
    }
    while (!open.empty()) {
        close();
    }

    std::vector<std::string> ids;
    for (std::size_t order = 0; order < joins.size(); ++order) {
        if (joins[order]) {
            ids.push_back(order < held ? std::move(ids_[order]) : std::move(added_[order - held]));
        }
    }
    ids_ = std::move(ids);
    added_.clear();
    folded_.clear();
}

} // namespace qa
