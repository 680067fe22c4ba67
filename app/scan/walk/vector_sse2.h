// The vector layer of the walk with SSE2: vectors of 16 bytes.  The SSE2
// build classifies 64 positions in four of them and searches with them;
// the AVX2 build takes them for what is too short for 32 bytes.
// Bits() gathers the bytes' top bits, byte k's as bit k.
struct Vec16 {
    using T = __m128i;
    static constexpr size_t kBytes = 16;
    static T Load(const uint8_t *d) { return _mm_loadu_si128(reinterpret_cast<const T *>(d)); }
    static T Splat(uint8_t b) { return _mm_set1_epi8(static_cast<char>(b)); }
    static T Zero() { return _mm_setzero_si128(); }
    static T Add(T a, T b) { return _mm_add_epi8(a, b); }
    static T Sub(T a, T b) { return _mm_sub_epi8(a, b); }
    static T Min(T a, T b) { return _mm_min_epu8(a, b); }
    static T Equal(T a, T b) { return _mm_cmpeq_epi8(a, b); }
    static T Or(T a, T b) { return _mm_or_si128(a, b); }
    static T And(T a, T b) { return _mm_and_si128(a, b); }
    static T AndNot(T a, T b) { return _mm_andnot_si128(a, b); }  // ~a & b
    static T Less(T a, T b) { return _mm_cmpgt_epi8(b, a); }  // signed
    static uint32_t Bits(T v) { return static_cast<uint32_t>(_mm_movemask_epi8(v)); }
    // The low bytes of v's 16-bit units (each at most 0xFF), kBytes / 2 of
    // them, to the kBytes at out.
    static void StoreLowBytes(T v, uint8_t *out)
    {
        _mm_storeu_si128(reinterpret_cast<T *>(out), _mm_packus_epi16(v, v));
    }
};
