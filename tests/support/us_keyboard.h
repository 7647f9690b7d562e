// The four rows of a US keyboard, each character under its shifted one: the
// independent source against which the tests check key codes and characters
// (a key gives both characters of its column, with Shift for the upper one).
#pragma once

namespace testsupport {

inline constexpr const char* kUsRows[][2] = {{"`1234567890-=", "~!@#$%^&*()_+"},
                                             {"qwertyuiop[]\\", "QWERTYUIOP{}|"},
                                             {"asdfghjkl;'", "ASDFGHJKL:\""},
                                             {"zxcvbnm,./", "ZXCVBNM<>?"}};

}  // namespace testsupport
