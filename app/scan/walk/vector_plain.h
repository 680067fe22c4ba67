// The vector layer of the walk for processors without SSE2: a "vector" of
// one byte, with the operations of the vector types of the other builds,
// so that the sieves are written once for every build and classify 64
// positions here a byte at a time.  Its masks are 1 and 0 (not all ones
// and zero, as in vectors), which plain code tests at once; byte sets
// answer it from their table.
struct Vec1 {
    using T = uint8_t;
    static constexpr size_t kBytes = 1;
    static T Load(const uint8_t *d) { return *d; }
    static T Splat(uint8_t b) { return b; }
    static T Zero() { return 0; }
    static T Add(T a, T b) { return static_cast<T>(a + b); }
    static T Sub(T a, T b) { return static_cast<T>(a - b); }
    static T Min(T a, T b) { return a < b ? a : b; }
    static T Equal(T a, T b) { return a == b; }
    static T Or(T a, T b) { return a | b; }
    static T And(T a, T b) { return a & b; }
    static T AndNot(T a, T b) { return static_cast<T>(~a & b); }
    static T Less(T a, T b) { return static_cast<int8_t>(a) < static_cast<int8_t>(b); }
    static uint32_t Bits(T v) { return v; }
};
