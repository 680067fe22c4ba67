// The window of data that a walk examines, with the bytes before it that
// the walk passed over in earlier windows: every rule reads the data
// through it.
class Window {
public:
    // How many bytes before the window it keeps.
    static constexpr size_t kHistory = 7;

    // The window d[0, avail), at file offset `base`.
    void Open(const uint8_t *d, uint64_t at, size_t count)
    {
        data = d;
        base = at;
        avail = count;
    }
    // Keeps the bytes before position i, where the next window begins.
    void Keep(size_t i)
    {
        uint8_t before[kHistory];
        for (size_t n = 1; n <= kHistory; ++n)
            before[n - 1] = Back(static_cast<ptrdiff_t>(i), n);
        std::memcpy(history_, before, sizeof history_);
    }

    // Byte k of the window, k from -kHistory on: before the window, the
    // bytes the walk passed (zeros before the data's first); past the
    // data's end, a zero byte.  (A window that does not end the data holds
    // the look-ahead of every position examined.)
    uint8_t At(ptrdiff_t k) const
    {
        if (static_cast<size_t>(k) < avail)
            return data[k];
        return k < 0 ? history_[-k - 1] : 0;
    }
    // The four bytes before position i, byte n before it as bits 8 (n - 1)
    // on.
    uint32_t BytesBefore(size_t i) const
    {
        if (i >= 4) {
            // One load of the four bytes, the first the highest.
            uint32_t word;
            std::memcpy(&word, data + i - 4, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            return word;
#else
            return __builtin_bswap32(word);
#endif
        }
        const ptrdiff_t k = static_cast<ptrdiff_t>(i);
        return uint32_t(Back(k, 1)) | uint32_t(Back(k, 2)) << 8 | uint32_t(Back(k, 3)) << 16 |
               uint32_t(Back(k, 4)) << 24;
    }
    // Byte n (1 to kHistory) before position k (k from -1 on).
    uint8_t Back(ptrdiff_t k, size_t n) const { return At(k - static_cast<ptrdiff_t>(n)); }
    uint8_t Before(size_t k) const { return Back(static_cast<ptrdiff_t>(k), 1); }
    // Whether position k lies past the data's end (only in the window that
    // ends the data).
    bool Past(ptrdiff_t k) const { return k >= static_cast<ptrdiff_t>(avail); }
    // The UTF-16LE code unit at k.
    uint16_t Unit(ptrdiff_t k) const { return static_cast<uint16_t>(At(k) | At(k + 1) << 8); }

    const uint8_t *data = nullptr;
    uint64_t base = 0;  // the file offset of data[0]
    size_t avail = 0;

private:
    uint8_t history_[kHistory] = {};
};
