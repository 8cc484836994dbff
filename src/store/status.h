#pragma once

#include "store/message.h"

#include <cassert>
#include <optional>
#include <utility>
#include <variant>

namespace qa {

// The outcome of an operation that can fail: nothing, or the message that says why, as an
// identifier with its arguments (the catalogue turns it into the reader's language). It is
// [[nodiscard]] so that a failure cannot be dropped by a caller that forgot to look.
class [[nodiscard]] Status {
public:
    Status() = default;                                       // success
    Status(Message failure) : failure_(std::move(failure)) {} // NOLINT: a failure converts
    Status(MessageId failure) : failure_(Message(failure)) {} // NOLINT

    static Status Ok() { return {}; }

    bool ok() const { return !failure_.has_value(); }
    explicit operator bool() const { return ok(); }
    // Only on failure.
    const Message& error() const {
        assert(failure_.has_value());
        return *failure_;
    }

private:
    std::optional<Message> failure_;
};

// A value, or the message that says why there is none.
template <typename T> class [[nodiscard]] Expected {
public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}           // NOLINT
    Expected(Message failure) : state_(std::in_place_index<1>, std::move(failure)) {} // NOLINT
    Expected(MessageId failure) : state_(std::in_place_index<1>, Message(failure)) {} // NOLINT
    Expected(Status failure) : state_(std::in_place_index<1>, failure.error()) {}     // NOLINT

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return std::get<0>(state_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<0>(state_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(state_));
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Message& error() const {
        assert(!ok());
        return std::get<1>(state_);
    }
    // The failure alone, for a caller that passes it on.
    Status status() const { return ok() ? Status() : Status(error()); }

private:
    std::variant<T, Message> state_;
};

} // namespace qa
