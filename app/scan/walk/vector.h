// The walk's vector layer, the part that every build shares.  Each build
// of the walk has one small file of vector types (vector_plain.h,
// vector_sse2.h, vector_avx2.h) with the same operations, and names two of
// them before it includes the generic headers of the walk:
//   - BlockVec, the widest, with which the sieves classify 64 positions at
//     a time (a "vector" of one byte in the build without SSE2);
//   - SearchVecs, the vector types that searches and code-unit runs take,
//     widest first (none without SSE2: those go byte by byte).
// The rules are written once over these operations; none asks which
// instruction set it is built for.
//
// Like every header of the walk but walker.h, this one is included inside
// the walk's unnamed namespace by each build of the walk (walker_*.cpp),
// after the instruction set is switched on.  None of them includes another
// header or has a guard: body.h includes them once each, in order, and the
// sieves' covering test once for each build, in a namespace of its own;
// walker.h brings in all that they use.

// A list of vector types, widest first.
template <class... V>
struct Vectors;

template <>
struct Vectors<> {
    template <class F>
    static void Each(F &&)
    {
    }
    template <class F>
    static void Widest(F &&)
    {
    }
};

template <class Wide, class... Narrower>
struct Vectors<Wide, Narrower...> {
    // f(V()) for each type V of the list, widest first.
    template <class F>
    static void Each(F &&f)
    {
        f(Wide());
        (f(Narrower()), ...);
    }
    // f(V()) for the widest.
    template <class F>
    static void Widest(F &&f)
    {
        f(Wide());
    }
};

// All ones where a byte of v lies in lo .. lo + span: v - lo <= span,
// unsigned, so min(x, span) == x.
template <class V>
typename V::T InRange(typename V::T v, typename V::T lo, typename V::T span)
{
    const typename V::T x = V::Sub(v, lo);
    return V::Equal(V::Min(x, span), x);
}

// The mask of V::kBytes bits, each bit of it set.
template <class V>
constexpr uint32_t AllBits()
{
    return static_cast<uint32_t>(~uint64_t(0) >> (64 - V::kBytes));
}
