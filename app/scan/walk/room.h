// What the rooms of the further encodings (EUC-JP, ISO-2022-JP, UTF-16BE:
// encoded.h) share: the window as they read it, and what reading one
// position gives.

// A sieve's last block of the window: its first position and the mask of
// its positions not yet ruled out.  A run that is not listed ends close
// behind where it began, and the next look begins inside the same block:
// kept, the block is not classified again.  Bytes that change (a row
// listed becomes zeros) may change the block's mask: it is forgotten.
struct SieveBlock {
    size_t at = SIZE_MAX;
    uint64_t mask = 0;
    bool Holds(size_t i) const { return i >= at && i - at < 64; }
    void Forget() { at = SIZE_MAX; }
};

// The window d[0, avail) at file offset `base`; in the window that ends
// the data (`final`), zero bytes after it.  A room reads no byte before
// its own frontier, which the window holds (with the two bytes before it).
struct RoomView {
    const uint8_t *d;
    uint64_t base;
    size_t avail;
    bool final;
    // (Only the sieve's memory, not the window, changes in a view.)
    mutable SieveBlock sieve;
    uint8_t At(size_t k) const { return k < avail ? d[k] : 0; }
    // The UTF-16BE code unit at k.
    uint16_t UnitBe(size_t k) const { return static_cast<uint16_t>(At(k) << 8 | At(k + 1)); }
    uint32_t Offset(size_t k) const { return static_cast<uint32_t>(base + k); }
};

// What a room reads at a position: a character of its text, bytes its text
// passes over (an escape, half-width katakana left out), or the end of its
// text.
enum class RoomRead : uint8_t { kChar, kSkip, kEnd };
