#pragma once

#include "i18n/message_catalogue.h"
#include "store/status.h"

#include <gtest/gtest.h>

#include <string>

namespace qa::test {

// What a failure says in the source language, or nothing on success: for a test's
// assertion text and for looking for a path or a reason in it.
inline std::string Why(const Status& status) {
    return status ? std::string() : SourceText(status.error());
}

template <typename T> std::string Why(const Expected<T>& expected) {
    return expected ? std::string() : SourceText(expected.error());
}

// The value, or a failed expectation (and an empty value) when there is none.
template <typename T> T ValueOf(Expected<T> expected) {
    EXPECT_TRUE(expected) << Why(expected);
    return expected ? std::move(expected).value() : T{};
}

} // namespace qa::test
