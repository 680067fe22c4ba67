// A caller's fixed-size record with guard bytes behind it: the record is
// filled with one byte before the call, the guard with another, so that what
// a call writes, what it leaves, and any byte written past the record show.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace testsupport {

template <class Record>
struct Guarded {
    static constexpr std::size_t kGuard = 64;
    static constexpr unsigned char kGuardFill = 0xA5;
    unsigned char bytes[sizeof(Record) + kGuard];

    explicit Guarded(unsigned char recordFill = 0)
    {
        std::memset(bytes, recordFill, sizeof(Record));
        std::memset(bytes + sizeof(Record), kGuardFill, kGuard);
    }
    Guarded(const Guarded &) = delete;
    Guarded &operator=(const Guarded &) = delete;

    Record &record() { return *reinterpret_cast<Record *>(bytes); }
    const Record &record() const { return *reinterpret_cast<const Record *>(bytes); }
    bool GuardIntact() const
    {
        return std::all_of(bytes + sizeof(Record), bytes + sizeof bytes,
                           [](unsigned char b) { return b == kGuardFill; });
    }
};

} // namespace testsupport
