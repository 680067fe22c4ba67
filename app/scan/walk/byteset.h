// A set of bytes made of up to four ranges (ranges that overlap or touch
// count as one), with searches that take a vector at a time (BlockVec for
// masks of 32 and 64 bytes, SearchVecs for searches) where the build has
// vectors, and its table where it has not.
class ByteSet {
public:
    void Add(uint8_t lo, uint8_t hi)
    {
        for (int b = lo; b <= hi; ++b)
            table_[b] = true;
        count_ = 0;
        for (int b = 0; b < 256; ++b) {
            if (!table_[b] || (b > 0 && table_[b - 1]))
                continue;
            int last = b;
            while (last < 255 && table_[last + 1])
                ++last;
            if (count_ < kRanges) {
                std::memset(lo_[count_], b, sizeof lo_[count_]);
                std::memset(span_[count_], last - b, sizeof span_[count_]);
            }
            ++count_;
        }
    }
    void Add(loom::ByteRange range) { Add(range.first, range.last); }
    template <size_t n>
    void Add(const loom::ByteRange (&ranges)[n])
    {
        for (const loom::ByteRange &range : ranges)
            Add(range);
    }
    bool Has(uint8_t b) const { return table_[b]; }

    // Bit k set where byte k of the V::kBytes at d is in the set.  A
    // "vector" of one byte (the build without SSE2) reads the table.
    template <class V>
    uint32_t Mask(const uint8_t *d) const
    {
        if constexpr (V::kBytes == 1) {
            return table_[*d];
        } else {
            const typename V::T v = V::Load(d);
            typename V::T in = InRange<V>(v, V::Load(lo_[0]), V::Load(span_[0]));
            for (int r = 1; r < count_; ++r)
                in = V::Or(in, InRange<V>(v, V::Load(lo_[r]), V::Load(span_[r])));
            return V::Bits(in);
        }
    }

    // Bit k set where byte k of the 64 (32) at d is in the set.
    uint64_t Mask64(const uint8_t *d) const { return MaskOf<uint64_t, 64>(d); }
    uint32_t Mask32(const uint8_t *d) const { return MaskOf<uint32_t, 32>(d); }
    template <class Bits, size_t n>
    Bits MaskOf(const uint8_t *d) const
    {
        Bits mask = 0;
        for (size_t k = 0; k < n; k += BlockVec::kBytes)
            mask |= static_cast<Bits>(Mask<BlockVec>(d + k)) << k;
        return mask;
    }

    // First position in [i, end) whose byte is (want = true) or is not
    // (want = false) in the set; `end` when there is none.
    template <bool want>
    size_t Find(const uint8_t *d, size_t i, size_t end) const
    {
        return FindBy<want>(d, i, end, SearchVecs());
    }

private:
    // Byte by byte.
    template <bool want>
    size_t FindBy(const uint8_t *d, size_t i, size_t end, Vectors<>) const
    {
        while (i < end && table_[d[i]] != want)
            ++i;
        return i;
    }
    // Often the first byte answers; then the widest vectors, one vector of
    // each narrower width for what is too short for them, and byte by
    // byte what is too short for any.
    template <bool want, class Wide, class... Narrower>
    size_t FindBy(const uint8_t *d, size_t i, size_t end, Vectors<Wide, Narrower...>) const
    {
        if (i < end && table_[d[i]] == want)
            return i;
        size_t at;
        while (end - i >= Wide::kBytes) {
            if (FindIn<Wide, want>(d, i, &at))
                return at;
            i += Wide::kBytes;
        }
        if (FindShort<want>(d, &i, end, &at, Vectors<Narrower...>()))
            return at;
        return FindBy<want>(d, i, end, Vectors<>());
    }
    template <bool want>
    bool FindShort(const uint8_t *, size_t *, size_t, size_t *, Vectors<>) const
    {
        return false;
    }
    template <bool want, class V, class... Narrower>
    bool FindShort(const uint8_t *d, size_t *i, size_t end, size_t *at,
                   Vectors<V, Narrower...>) const
    {
        if (end - *i >= V::kBytes) {
            if (FindIn<V, want>(d, *i, at))
                return true;
            *i += V::kBytes;
        }
        return FindShort<want>(d, i, end, at, Vectors<Narrower...>());
    }
    // Whether the V::kBytes at d + i hold a byte that is (want) or is not
    // (!want) in the set; *at gets the first one's position.
    template <class V, bool want>
    bool FindIn(const uint8_t *d, size_t i, size_t *at) const
    {
        uint32_t mask = Mask<V>(d + i);
        if (!want)
            mask ^= AllBits<V>();
        if (mask == 0)
            return false;
        *at = i + static_cast<size_t>(__builtin_ctz(mask));
        return true;
    }

    // Each range's low end and width, once for every byte of the widest
    // vector.  Plain bytes rather than vectors: the 32-bit heap hands out
    // blocks aligned to 8 bytes only, and a vector member would be read
    // with an aligned access.
    static constexpr int kRanges = 4;
    uint8_t lo_[kRanges][BlockVec::kBytes];
    uint8_t span_[kRanges][BlockVec::kBytes];
    int count_ = 0;
    bool table_[256] = {};
};
