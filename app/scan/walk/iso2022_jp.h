// ISO-2022-JP text (JIS, as in mail): ASCII and JIS-Roman after ESC ( B
// and ESC ( J, JIS X 0208 pairs (21-7E 21-7E) after ESC $ B and ESC $ @,
// half-width katakana (21-5F) after ESC ( I, JIS X 0212 pairs after
// ESC $ ( D.  The escapes are no part of the text; a Japanese character
// right after one is stored from the escape on.  Its text begins at an
// escape to a Japanese set: ESC is its sieve.  An unknown escape, a byte
// outside the set in force or a control byte ends it, and the next text
// begins in ASCII.

class Iso2022JpText {
public:
    static constexpr Encoding kEncoding = Encoding::Iso2022Jp;
    // Find gives positions where the text may begin: Begins decides.
    static constexpr bool kFoundBegins = false;
    enum Set : uint8_t { kAscii, kJis0208, kKana, kJis0212 };
    struct State {
        Set set = kAscii;
        bool escaped = false;  // an escape stands right before the position
        uint32_t escape = 0;   // its file offset
    };

    explicit Iso2022JpText(const ExtractionSettings &settings) : hideKana_(settings.CheckHalfKana)
    {
        escapes_.Add(0x1B, 0x1B);
    }

    size_t Find(const RoomView &v, size_t i, size_t end) const
    {
        return escapes_.Find<true>(v.d, i, end);
    }
    // An escape to a Japanese set, and a character of that set after it.
    bool Begins(const RoomView &v, size_t q, State &) const
    {
        Set set;
        const size_t length = Escape(v, q, &set);
        if (length == 0 || set == kAscii)
            return false;
        State st;
        st.set = set;
        EncodedChar c;
        size_t next = q + 1;
        return Read(v, q + length, st, &c, &next) == RoomRead::kChar;
    }
    RoomRead Read(const RoomView &v, size_t i, State &st, EncodedChar *c, size_t *next) const
    {
        const uint8_t b = v.At(i);
        if (b == 0x1B) {
            Set set;
            const size_t length = Escape(v, i, &set);
            if (length == 0)
                return RoomRead::kEnd;
            st.set = set;
            if (!st.escaped)
                st.escape = v.Offset(i);
            st.escaped = true;
            *next = i + length;
            return RoomRead::kSkip;
        }
        const uint8_t t = v.At(i + 1);
        uint32_t code = 0;
        size_t bytes = 1;
        switch (st.set) {
        case kAscii:
            code = b >= 0x20 && b <= 0x7E ? b : 0;
            break;
        case kKana:
            if (b < 0x21 || b > 0x5F)
                return RoomRead::kEnd;
            if (hideKana_) {
                *next = i + 1;
                return RoomRead::kSkip;
            }
            code = kHalfWidthKatakanaFirst + (b - 0x21u);
            break;
        case kJis0208:
        case kJis0212:
            if (b < 0x21 || b > 0x7E || t < 0x21 || t > 0x7E)
                return RoomRead::kEnd;
            code = st.set == kJis0208 ? JisX0208Char(b, t) : JisX0212Char(b, t);
            bytes = 2;
            break;
        }
        if (code == 0)
            return RoomRead::kEnd;
        *c = {code, st.escaped ? st.escape : v.Offset(i), v.Offset(i + bytes)};
        st.escaped = false;
        *next = i + bytes;
        return RoomRead::kChar;
    }
    void Reset(State &st) const { st = State(); }

    size_t Head(const RoomView &v, size_t q, size_t floor) const
    {
        while (q > floor && v.d[q - 1] >= 0x20 && v.d[q - 1] <= 0x7E)
            --q;
        return q;
    }
    void HeadChars(const RoomView &v, size_t h, size_t q, std::vector<EncodedChar> &out) const
    {
        for (size_t k = h; k < q; ++k)
            out.push_back({v.d[k], v.Offset(k), v.Offset(k + 1)});
    }
    bool CleanBefore(const RoomView &v, size_t h) const
    {
        return v.base + h == 0 || IsCleanEdgeByte(v.d[h - 1]);
    }
    bool CleanAt(const RoomView &v, size_t i) const
    {
        return i >= v.avail || IsCleanEdgeByte(v.d[i]);
    }

private:
    // The length of the escape at i that switches to a set this room
    // knows (its set in *set); 0 for any other.
    static size_t Escape(const RoomView &v, size_t i, Set *set)
    {
        const uint8_t a = v.At(i + 1), b = v.At(i + 2);
        if (a == '(' && (b == 'B' || b == 'J' || b == 'I')) {
            *set = b == 'I' ? kKana : kAscii;
            return 3;
        }
        if (a == '$' && (b == 'B' || b == '@')) {
            *set = kJis0208;
            return 3;
        }
        if (a == '$' && b == '(' && v.At(i + 3) == 'D') {
            *set = kJis0212;
            return 4;
        }
        return 0;
    }

    bool hideKana_;
    ByteSet escapes_;
};
