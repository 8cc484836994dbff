#include "store/patient_id_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>

using namespace qa;

namespace {

// The list's patient-ID set as it was first written: a case-insensitive prefix test against
// every ID held. The ordered set must give exactly its answers.
std::vector<std::string> ScanEveryId(const std::vector<std::string>& rows) {
    std::vector<std::string> ids;
    for (const std::string& pid : rows) {
        bool known = std::any_of(ids.begin(), ids.end(), [&](const std::string& id) {
            return id.size() >= pid.size() &&
                   std::equal(pid.begin(), pid.end(), id.begin(), [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a)) ==
                              std::tolower(static_cast<unsigned char>(b));
                   });
        });
        if (!known) {
            ids.push_back(pid);
        }
    }
    return ids;
}

std::vector<std::string> OrderedSet(const std::vector<std::string>& rows) {
    PatientIdSet set;
    for (const std::string& pid : rows) {
        set.Add(pid);
    }
    return set.TakeIds();
}

TEST(PatientIdSet, KeepsTheFirstIdThatNoLaterOneIsAPrefixOfIgnoringCase) {
    const std::vector<std::vector<std::string>> cases = {
        // A shorter ID after a longer one it begins is known; the other way round it is new.
        {"P12345", "P123", "p1", "P12", "P123456", "P2"},
        {"ab", "abc", "ABCD", "abcd", "Ab", "b"},
        // The empty ID joins only an empty set, and then hides nothing longer.
        {"", "x", "", "X", "xy"},
        {"x", "", "y"},
        // Bytes past ASCII are compared as they are: no folding across Hangul, accented
        // letters or a cut UTF-8 sequence, and they sort above every ASCII byte.
        {"홍길동", "홍", "홍길", "홍길동2", "\xed", "ÉCOLE", "école", "éco", "Éc"},
        {"a\xff", "a\x7f", "a", "A\xff\x01", "a\x80"},
        // Neighbours in order that share no prefix: the lower bound must not look past them.
        {"abd", "abc", "ab", "abb", "aba", "abe"},
        {"P-1", "P.1", "P/1", "P-", "P", "p"},
        // Repeats.
        {"same", "same", "SAME", "same"},
    };
    for (const auto& rows : cases) {
        EXPECT_EQ(OrderedSet(rows), ScanEveryId(rows)) << "rows starting " << rows.front();
    }
}

TEST(PatientIdSet, AgreesWithTheScanOnManyRandomIds) {
    // A small alphabet of mixed case and high bytes makes prefixes and case twins common.
    const std::string alphabet = "aAbB1\xc3\xa9";
    std::mt19937 random(20);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::string> rows;
        for (int i = 0; i < 300; ++i) {
            std::string id;
            const int length = static_cast<int>(random() % 5);
            for (int k = 0; k < length; ++k) {
                id += alphabet[random() % alphabet.size()];
            }
            rows.push_back(id);
        }
        ASSERT_EQ(OrderedSet(rows), ScanEveryId(rows)) << "round " << round;
    }
    PatientIdSet set;
    set.Add("Patient-7");
    EXPECT_TRUE(set.HasIdStartingWith("pATIENT-"));
    EXPECT_FALSE(set.HasIdStartingWith("Patient-70"));
}

TEST(PatientIdSet, ReadingBetweenAddsChangesNothing) {
    // Reads settle what was added so far; the IDs added after must be judged against the IDs
    // held, those left out included, as if nothing had been read.
    const std::string alphabet = "aA1\xc3\xa9";
    std::mt19937 random(21);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::string> rows;
        PatientIdSet set;
        for (int i = 0; i < 200; ++i) {
            std::string id;
            const int length = static_cast<int>(random() % 4);
            for (int k = 0; k < length; ++k) {
                id += alphabet[random() % alphabet.size()];
            }
            rows.push_back(id);
            set.Add(id);
            if (random() % 7 == 0) {
                ASSERT_EQ(set.Ids(), ScanEveryId(rows)) << "round " << round << " row " << i;
                const std::string& probe = rows[random() % rows.size()];
                EXPECT_TRUE(set.HasIdStartingWith(probe.substr(0, probe.size() / 2)));
            }
        }
        ASSERT_EQ(set.TakeIds(), ScanEveryId(rows)) << "round " << round;
    }
}

} // namespace
