// UTF-16LE text of ASCII code units ("printable byte, zero"): where it
// begins after a single byte, its sieve, and the run of such units that the
// walk takes at once.

class Utf16Text {
public:
    // How far its rule reads after a position (the zero after a single
    // byte): whether an ASCII unit follows.  Single-byte text reads the
    // next byte only.
    static constexpr size_t kLookAhead = 2;

    explicit Utf16Text(const ExtractionSettings &settings) : printable_(PrintableBytes(settings))
    {
    }

    bool Printable(uint8_t b) const { return printable_.Has(b); }

    // Whether the zero at z, after a single byte, makes that byte the first
    // code unit of UTF-16 text: another ASCII unit follows.  A printable
    // byte that no zero follows begins single-byte text: the byte before
    // the zero is then mostly the end of a pointer or a number (0x00420000
    // is "B", zero), and taking the text as UTF-16 would leave out all of
    // it.
    bool BeginsAt(const Window &w, size_t z) const
    {
        const ptrdiff_t k = static_cast<ptrdiff_t>(z);
        return printable_.Has(w.At(k + 1)) && w.At(k + 2) == 0;
    }
    // Its sieve over the 64 positions at i (`printable`: their printable
    // bytes): the positions that a printable byte follows.  The byte after
    // the 64 is in the window, or past the data's end, where it is a zero.
    uint64_t Sieve(const Window &w, size_t i, uint64_t printable) const
    {
        const bool nextPrintable = i + 64 < w.avail && printable_.Has(w.data[i + 64]);
        return (printable >> 1) | (uint64_t(nextPrintable) << 63);
    }

    // In UTF-16 text from position i: takes every code unit "printable
    // byte, zero" that another printable byte follows, up to `limit`, a
    // vector at a time (of each of SearchVecs, widest first) and then two
    // positions at a time, appending the low bytes to `text`.  Returns the
    // first position left for the plain step.  (Inlined by force: as a call
    // it costs the default walk a twentieth of its time.)
    __attribute__((always_inline)) size_t Run(const Window &w, size_t i, size_t limit,
                                              TextBuffer &text) const
    {
        const uint8_t *d = w.data;
        SearchVecs::Each([&](auto vector) { i = Units<decltype(vector)>(w, i, limit, text); });
        while (i + 1 <= limit && i + 2 < w.avail && printable_.Has(d[i]) && d[i + 1] == 0 &&
               printable_.Has(d[i + 2])) {
            text.push_back(static_cast<char>(d[i]));
            i += 2;
        }
        return i;
    }

private:
    // Run's code units V::kBytes / 2 at a time: even bytes printable, odd
    // bytes zero, and a printable byte after them.
    template <class V>
    size_t Units(const Window &w, size_t i, size_t limit, TextBuffer &text) const
    {
        const uint8_t *d = w.data;
        constexpr uint32_t even = static_cast<uint32_t>(0x5555555555555555ull) & AllBits<V>();
        while (i + V::kBytes <= limit && i + V::kBytes < w.avail &&
               printable_.Has(d[i + V::kBytes])) {
            const typename V::T v = V::Load(d + i);
            const uint32_t printable = printable_.Mask<V>(d + i);
            const uint32_t zero = V::Bits(V::Equal(v, V::Zero()));
            if ((printable & even) != even || (zero & even << 1) != even << 1)
                break;
            uint8_t low[V::kBytes];
            V::StoreLowBytes(v, low);
            text.append(reinterpret_cast<const char *>(low), V::kBytes / 2);
            i += V::kBytes;
        }
        return i;
    }

    ByteSet printable_;
};
