// Bit scans of the walk's 64-bit masks, and their spreading through runs.

// Of a value that is not zero.  A 32-bit build has no 64-bit bit scan:
// the compiler would call a library function for each, so the halves are
// scanned here.
inline int LeadingZeros(uint64_t v)
{
#if defined(__i386__)
    const auto high = static_cast<uint32_t>(v >> 32);
    return high ? __builtin_clz(high) : 32 + __builtin_clz(static_cast<uint32_t>(v));
#else
    return __builtin_clzll(v);
#endif
}

inline int LowestBit(uint64_t v)
{
#if defined(__i386__)
    const auto low = static_cast<uint32_t>(v);
    return low != 0 ? __builtin_ctz(low) : 32 + __builtin_ctz(static_cast<uint32_t>(v >> 32));
#else
    return __builtin_ctzll(v);
#endif
}

// Bits of `bits` spread upwards through the stretches of set bits in
// `runs`: bit j is set when some bit k <= j of `bits` is, with k..j in one
// stretch.
inline uint64_t SpreadInRuns(uint64_t bits, uint64_t runs)
{
    // Adding a stretch's bits of `bits` to it carries from the lowest of
    // them through the stretch's top, clearing those positions, and stops
    // at the clear bit above it; the others among them are set in the sum
    // without a carry and come back with `bits`.
    return bits | (runs & ~(runs + (bits & runs)));
}
