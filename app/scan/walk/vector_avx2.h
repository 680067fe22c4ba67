// The vector layer of the walk with AVX2: vectors of 32 bytes, with which
// the AVX2 build classifies 64 positions in two and searches (finishing
// with a vector of 16 bytes, vector_sse2.h, what is too short for 32).
struct Vec32 {
    using T = __m256i;
    static constexpr size_t kBytes = 32;
    static T Load(const uint8_t *d) { return _mm256_loadu_si256(reinterpret_cast<const T *>(d)); }
    static T Splat(uint8_t b) { return _mm256_set1_epi8(static_cast<char>(b)); }
    static T Zero() { return _mm256_setzero_si256(); }
    static T Add(T a, T b) { return _mm256_add_epi8(a, b); }
    static T Sub(T a, T b) { return _mm256_sub_epi8(a, b); }
    static T Min(T a, T b) { return _mm256_min_epu8(a, b); }
    static T Equal(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
    static T Or(T a, T b) { return _mm256_or_si256(a, b); }
    static T And(T a, T b) { return _mm256_and_si256(a, b); }
    static T AndNot(T a, T b) { return _mm256_andnot_si256(a, b); }  // ~a & b
    static T Less(T a, T b) { return _mm256_cmpgt_epi8(b, a); }  // signed
    static uint32_t Bits(T v) { return static_cast<uint32_t>(_mm256_movemask_epi8(v)); }
    // (The 256-bit pack works on each half apart: the halves are packed
    // as 128-bit vectors instead, in order.)
    static void StoreLowBytes(T v, uint8_t *out)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out),
                         _mm_packus_epi16(_mm256_castsi256_si128(v),
                                          _mm256_extracti128_si256(v, 1)));
    }
};
