// The slot a virtual operation takes in its class's table, read from a pointer to the member.
#pragma once

#include <cstdint>
#include <cstring>

namespace layouttest {

// A pointer to a virtual member holds 1 + the member's byte offset in the table (the Itanium
// ABI, as GCC lays it out for x86 and x86-64 alike); -1 for anything else.
template <class Member> long slotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(void*), "pointer and adjustment");
    std::uintptr_t raw = 0;
    std::memcpy(&raw, &member, sizeof raw);
    if ((raw & 1) == 0)
        return -1;
    return long((raw - 1) / sizeof(void*));
}

} // namespace layouttest
