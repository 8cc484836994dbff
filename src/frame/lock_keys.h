#pragma once

#include <optional>

namespace qa {

// The lock keys as the keyboard's lights show them.
struct LockKeyState {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    bool operator==(const LockKeyState&) const = default;
};

// Reads the lights from the X server's keyboard extension. Empty where they cannot be
// read (another window system, or built without the X library): the status bar then shows
// no lock-key fields rather than fields that never change.
std::optional<LockKeyState> ReadLockKeys();

} // namespace qa
