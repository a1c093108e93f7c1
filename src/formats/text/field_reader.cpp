#include "formats/text/field_reader.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <system_error>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/number_text.h"

namespace lumibench {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool EndsField(char c) { return c == ' ' || c == '\t' || c == ',' || c == kCr || c == kLf; }

// One line end (CR LF, CR or LF) at `p`, if there is one.
inline const char* SkipLineEnd(const char* p, const char* end, int& line) {
    if (p < end) {
        if (*p == kCr) {
            ++p;
            if (p < end && *p == kLf) ++p;
            ++line;
        } else if (*p == kLf) {
            ++p;
            ++line;
        }
    }
    return p;
}

// Blanks, tabs and line ends before a field.
inline const char* SkipBeforeField(const char* p, const char* end, int& line) {
    while (p < end) {
        const char c = *p;
        if (IsBlank(c)) {
            ++p;
        } else if (c == kCr || c == kLf) {
            p = SkipLineEnd(p, end, line);
        } else {
            break;
        }
    }
    return p;
}

// After a field: blanks, then one comma with its blanks, then one line end.
inline const char* SkipFieldEnd(const char* p, const char* end, int& line) {
    while (p < end && IsBlank(*p)) ++p;
    if (p < end && *p == ',') {
        ++p;
        while (p < end && IsBlank(*p)) ++p;
    }
    return SkipLineEnd(p, end, line);
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr float kPowersOfTenSingle[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F,
                                        1e6F, 1e7F, 1e8F, 1e9F, 1e10F};

struct DecimalParts {
    std::uint64_t mantissa = 0;  // wraps for long digit strings; `digits` tells
    unsigned digits = 0;
    unsigned fractionDigits = 0;
    bool negative = false;
};

// Takes an optional sign and digits with at most one "." from `p` on, and
// stops at the first other character.
inline void ScanDecimal(const char*& p, const char* end, DecimalParts& parts) {
    if (p < end && (*p == '-' || *p == '+')) parts.negative = *p++ == '-';
    bool point = false;
    for (; p < end; ++p) {
        const auto digit = static_cast<unsigned>(*p - '0');
        if (digit < 10) {
            parts.mantissa = parts.mantissa * 10 + digit;
            ++parts.digits;
            parts.fractionDigits += point;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return;
        }
    }
}

// Plain decimals whose digits fit the type's mantissa exactly: one division of
// two exact values is correctly rounded, so this equals from_chars at a
// fraction of the cost. False leaves the value to the general path.
template <class F>
inline bool DecimalValue(const DecimalParts& parts, F& value) {
    constexpr bool isDouble = sizeof(F) == sizeof(double);
    constexpr std::uint64_t exactLimit = std::uint64_t{1} << (isDouble ? 53 : 24);
    constexpr unsigned powerLimit = isDouble ? 22 : 10;
    if (parts.digits == 0 || parts.digits > 18 || parts.mantissa > exactLimit) return false;
    if (parts.mantissa == 0 || parts.fractionDigits == 0) {
        value = static_cast<F>(parts.mantissa);
    } else if (parts.fractionDigits > powerLimit) {
        return false;
    } else if constexpr (isDouble) {
        value = static_cast<double>(parts.mantissa) / kPowersOfTen[parts.fractionDigits];
    } else {
        value = static_cast<float>(parts.mantissa) / kPowersOfTenSingle[parts.fractionDigits];
    }
    if (parts.negative) value = -value;
    return true;
}

template <class F>
bool FastDecimal(std::string_view text, F& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    DecimalParts parts;
    ScanDecimal(p, end, parts);
    return p == end && DecimalValue(parts, value);
}

template <class F>
std::optional<F> ParseFloating(std::string_view text, bool* outOfRange) {
    if (outOfRange) *outOfRange = false;
    if (F fast{}; FastDecimal(text, fast)) return fast;
    if (!IsNumberText(text)) return std::nullopt;
    // from_chars takes no leading "+".
    if (text.front() == '+') text.remove_prefix(1);
    F value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (outOfRange) *outOfRange = true;
        return std::nullopt;
    }
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}


// One plain decimal of a value list: its text, the line it starts on, its value.
struct PlainField {
    const char* begin = nullptr;
    const char* end = nullptr;
    int line = 0;
    double value = 0;
};

// The next plain decimal after `p`, one character at a time. `afterNumber`:
// `p` sits right after a number, so its field end (with a comma) comes first.
inline bool NextPlainField(const char* p, const char* end, bool afterNumber, int line, PlainField& field) {
    if (afterNumber) p = SkipFieldEnd(p, end, line);
    const char* q = SkipBeforeField(p, end, line);
    const char* const begin = q;
    std::uint64_t mantissa = 0;
    unsigned digits = 0;
    unsigned fraction = 0;
    bool point = false;
    for (; q < end; ++q) {
        const auto d = static_cast<unsigned>(*q - '0');
        if (d < 10) {
            mantissa = mantissa * 10 + d;
            ++digits;
            fraction += point;
        } else if (*q == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    // Up to 15 digits the mantissa is exact in a double, and one correctly
    // rounded division gives what the general conversion gives.
    if (digits == 0 || digits > 15 || (q < end && !EndsField(*q))) return false;
    field = {begin, q, line, static_cast<double>(mantissa) / kPowersOfTen[fraction]};
    return true;
}

// The same, a block of 64 characters at a time. Going number by number, each
// number's place depends on the one before through a chain of branches whose
// outcome follows the lengths of the numbers; classifying a block's
// characters at once into bit sets (bit i: character i) leaves only a short
// walk over the bits, and the numbers are converted independently of each
// other. Blocks take blanks, line ends and a number's comma between numbers;
// anything else (a sign, a letter, a comma out of place) ends the block's work
// there, and the number there goes one character at a time.
struct BlockClasses {
    std::uint64_t digits = 0;
    std::uint64_t points = 0;
    std::uint64_t blanks = 0;
    std::uint64_t returns = 0;
    std::uint64_t lineFeeds = 0;
    std::uint64_t commas = 0;
};

constexpr std::ptrdiff_t kBlock = 64;
// A number of the block may be read as a word from its start.
constexpr std::ptrdiff_t kBlockTail = kBlock + 8;

#if defined(__SSE2__)
inline std::uint64_t Bits16(__m128i set, int at) {
    return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(set))} << at;
}

inline BlockClasses ClassifyBlock(const char* p) {
    BlockClasses c;
    for (int at = 0; at < kBlock; at += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        const __m128i fromZero = _mm_sub_epi8(x, _mm_set1_epi8('0'));
        c.digits |= Bits16(_mm_cmpeq_epi8(_mm_min_epu8(fromZero, _mm_set1_epi8(9)), fromZero), at);
        c.points |= Bits16(_mm_cmpeq_epi8(x, _mm_set1_epi8('.')), at);
        c.blanks |= Bits16(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\t'))), at);
        c.returns |= Bits16(_mm_cmpeq_epi8(x, _mm_set1_epi8(kCr)), at);
        c.lineFeeds |= Bits16(_mm_cmpeq_epi8(x, _mm_set1_epi8(kLf)), at);
        c.commas |= Bits16(_mm_cmpeq_epi8(x, _mm_set1_epi8(',')), at);
    }
    return c;
}
#else
inline BlockClasses ClassifyBlock(const char* p) {
    BlockClasses c;
    for (int i = 0; i < kBlock; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        const char ch = p[i];
        if (IsDigit(ch)) c.digits |= bit;
        if (ch == '.') c.points |= bit;
        if (IsBlank(ch)) c.blanks |= bit;
        if (ch == kCr) c.returns |= bit;
        if (ch == kLf) c.lineFeeds |= bit;
        if (ch == ',') c.commas |= bit;
    }
    return c;
}
#endif

// The bytes below `count` (0..8).
constexpr std::uint64_t kLowBytes[9] = {0,
                                        0xFF,
                                        0xFFFF,
                                        0xFFFFFF,
                                        0xFFFFFFFF,
                                        0xFFFFFFFFFF,
                                        0xFFFFFFFFFFFF,
                                        0xFFFFFFFFFFFFFF,
                                        0xFFFFFFFFFFFFFFFF};
// The factor that moves `count` (1..8) bytes up to end at byte 7.
constexpr std::uint64_t kByteShifts[9] = {0,
                                          std::uint64_t{1} << 56,
                                          std::uint64_t{1} << 48,
                                          std::uint64_t{1} << 40,
                                          std::uint64_t{1} << 32,
                                          std::uint64_t{1} << 24,
                                          std::uint64_t{1} << 16,
                                          std::uint64_t{1} << 8,
                                          1};

// The bits below `count` (0..64).
inline std::uint64_t LowBits(unsigned count) { return count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1; }

// The lowest set bit's place; `set` is not empty.
inline unsigned FirstBit(std::uint64_t set) { return static_cast<unsigned>(__builtin_ctzll(set)); }

// The value of up to eight digit values (0..9), the first in byte 0 and
// missing leading digits as zero bytes: pairs, then fours, by multiplication.
inline std::uint32_t EightDigits(std::uint64_t digits) {
    digits = digits * 10 + (digits >> 8);
    constexpr std::uint64_t kPairs = 0x000000FF000000FFULL;
    constexpr std::uint64_t kFirstPairs = 100 + (1000000ULL << 32);
    constexpr std::uint64_t kSecondPairs = 1 + (10000ULL << 32);
    return static_cast<std::uint32_t>(
        (((digits & kPairs) * kFirstPairs) + (((digits >> 16) & kPairs) * kSecondPairs)) >> 32);
}

// The integer as a double, built from its bits: the integer conversion
// instruction keeps the register's previous value (the last division) as an
// input, which would chain every value's division to the one before.
inline double ExactDouble(std::uint64_t integer) {
    constexpr std::uint64_t kTwoTo52Bits = 0x4330000000000000ULL;
    return std::bit_cast<double>(kTwoTo52Bits | integer) - 4503599627370496.0;
}

// The mantissa of a number of up to eight characters, digits and at most
// one point, at `begin` (the point at `point`, or `point` == `length`), read
// as one little-endian word: eight bytes from `begin` must be readable.
inline std::uint64_t EightOrFewerDigits(const char* begin, unsigned length, unsigned point, unsigned hasPoint) {
    std::uint64_t word;
    std::memcpy(&word, begin, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    // The point taken out: the characters after it move down a byte.
    const std::uint64_t below = kLowBytes[point];
    const std::uint64_t joined = (word & below) | ((word >> 8) & ~below);
    // Moved up to end at byte 7 by a multiplication, which stands for the
    // shift and drops the characters after the number.
    return EightDigits((joined ^ 0x3030303030303030ULL) * kByteShifts[length - hasPoint]);
}

struct PlainRun {
    const char* p;  // after the last number taken
    int line;       // the line of the last number taken, or of `p`
    const char* lastBegin;
};

// The characters of the block that the word-at-a-time conversion cannot
// take: a number of nine characters or more, a second point in a number, a
// point alone, and anything that is neither a separator nor part of a number.
inline std::uint64_t UntakenInBlock(const BlockClasses& c, std::uint64_t numeric, std::uint64_t separators) {
    // Characters with 1, 2, 4 numeric characters ending at them, by doubling.
    const std::uint64_t two = numeric & (numeric << 1);
    const std::uint64_t four = two & (two << 2);
    const std::uint64_t ninth = four & (four << 4) & (numeric << 8);
    // Characters after a point in its number, spread the same way.
    std::uint64_t afterPoint = (c.points << 1) & numeric;
    afterPoint |= (afterPoint << 1) & numeric;
    afterPoint |= (afterPoint << 2) & two;
    afterPoint |= (afterPoint << 4) & four;
    const std::uint64_t pointAlone = c.points & ~(numeric << 1) & ~(numeric >> 1);
    return ninth | (afterPoint & c.points) | pointAlone | ~(numeric | separators);
}

// Takes up to `room` plain decimals that lie wholly in the block at `run.p`
// (kBlockTail bytes readable) into `out`; returns how many. `Limited`: only
// values up to `limit`. `afterNumber`: `run.p` is right after a number.
template <bool Limited>
std::size_t TakePlainBlock(PlainRun& run, double* out, std::size_t room, double limit, bool afterNumber) {
    const char* const p = run.p;
    const BlockClasses c = ClassifyBlock(p);
    const std::uint64_t numeric = c.digits | c.points;
    // A comma belongs to the number before it, with only blanks between: it
    // is the first character after a number, or after a run of blanks that
    // starts right after one (found by the carry of an addition that runs
    // through the blanks).
    std::uint64_t separators = c.blanks | c.returns | c.lineFeeds;
    if (c.commas != 0) {
        const std::uint64_t afterNumeric = (numeric << 1) | (afterNumber ? 1 : 0);
        const std::uint64_t followsNumber =
            (afterNumeric & ~c.blanks) | ((c.blanks + (afterNumeric & c.blanks)) & ~c.blanks);
        separators |= c.commas & followsNumber;
    }
    const std::uint64_t untaken = UntakenInBlock(c, numeric, separators);
    const std::uint64_t region = untaken == 0 ? ~std::uint64_t{0} : LowBits(FirstBit(untaken));
    std::uint64_t starts = numeric & ~(numeric << 1);
    // A number is whole when a separator of the block follows it; a number
    // that the region cuts keeps its start but loses its end, and so is the
    // last start, after every end.
    std::uint64_t lasts = numeric & (separators >> 1) & region;
    // At most 32 numbers fit a block: fewer room keeps only the first ends.
    for (std::size_t kept = 0, rest = lasts; room < 32 && rest != 0; ++kept, rest &= rest - 1) {
        if (kept == room) {
            lasts &= LowBits(FirstBit(rest));
            break;
        }
    }
    const std::uint64_t startsBefore = starts;
    const std::uint64_t lastsBefore = lasts;
    std::size_t taken = 0;
    while (lasts != 0) {
        const std::uint64_t startBit = starts & (0 - starts);
        const std::uint64_t afterBit = (lasts & (0 - lasts)) << 1;  // the separator after the number
        const unsigned start = FirstBit(startBit);
        const unsigned end = FirstBit(afterBit);
        // The point's place, or the number's end without one.
        const unsigned point = FirstBit((c.points & (afterBit - startBit)) | afterBit);
        const unsigned hasPoint = point < end ? 1 : 0;
        const double value = ExactDouble(EightOrFewerDigits(p + start, end - start, point - start, hasPoint)) /
                             kPowersOfTen[end - point - hasPoint];
        if constexpr (Limited) {
            if (!(value <= limit)) break;
        }
        out[taken++] = value;
        starts &= starts - 1;
        lasts &= lasts - 1;
    }
    if (taken > 0) {
        // The last number taken: the highest start and end gone from the sets.
        const auto lastStart = static_cast<unsigned>(63 - __builtin_clzll(startsBefore & ~starts));
        const auto lastEnd = static_cast<unsigned>(64 - __builtin_clzll(lastsBefore & ~lasts));
        // CR LF is one line end; a lone CR and a lone LF are one each. Every
        // character before a number's start has its follower in the block.
        // A block holds a line end or two: counted bit by bit, cheaper than
        // the library's population count.
        for (std::uint64_t lineEnds = (c.lineFeeds | (c.returns & ~(c.lineFeeds >> 1))) & LowBits(lastStart);
             lineEnds != 0; lineEnds &= lineEnds - 1) {
            ++run.line;
        }
        run.lastBegin = p + lastStart;
        run.p = p + lastEnd;
    }
    return taken;
}

}  // namespace

bool IsNumberText(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < n && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == n;
}

std::optional<double> ParseDouble(std::string_view text, bool* outOfRange) {
    return ParseFloating<double>(text, outOfRange);
}

std::optional<float> ParseSingle(std::string_view text, bool* outOfRange) {
    return ParseFloating<float>(text, outOfRange);
}

int PhysicalLineAt(std::string_view text, std::size_t position) {
    position = std::min(position, text.size());
    int line = 1;
    for (std::size_t i = 0; i < position; ++i) {
        if (text[i] == kLf) {
            ++line;
        } else if (text[i] == kCr && !(i + 1 < text.size() && text[i + 1] == kLf)) {
            ++line;
        }
    }
    return line;
}

bool FieldReader::takeLineEnd() {
    const int before = line_;
    pos_ = static_cast<std::size_t>(SkipLineEnd(text_.data() + pos_, text_.data() + text_.size(), line_) -
                                    text_.data());
    return line_ != before;
}

void FieldReader::skipSeparatorsBeforeField() {
    pos_ = static_cast<std::size_t>(SkipBeforeField(text_.data() + pos_, text_.data() + text_.size(), line_) -
                                    text_.data());
}

void FieldReader::takeFieldEnd() {
    pos_ = static_cast<std::size_t>(SkipFieldEnd(text_.data() + pos_, text_.data() + text_.size(), line_) -
                                    text_.data());
}

std::optional<std::string_view> FieldReader::readLine() {
    if (atEnd()) {
        failure_ = ReadFailure::EndOfText;
        return std::nullopt;
    }
    failure_ = ReadFailure::None;
    lastLine_ = line_;
    const std::size_t start = pos_;
    std::size_t end = text_.find(kCr, start);
    if (end == std::string_view::npos) end = text_.size();
    const std::string_view content = text_.substr(start, end - start);
    // A lone LF stays in the line but still starts a new physical line.
    line_ += static_cast<int>(std::count(content.begin(), content.end(), kLf));
    pos_ = end;
    takeLineEnd();
    return content;
}

std::optional<std::string_view> FieldReader::readFieldText() {
    skipSeparatorsBeforeField();
    if (atEnd()) {
        failure_ = ReadFailure::EndOfText;
        return std::nullopt;
    }
    lastLine_ = line_;
    if (text_[pos_] == ',') {
        failure_ = ReadFailure::EmptyField;
        lastValue_ = text_.substr(pos_, 0);
        ++pos_;
        takeFieldEnd();
        return std::nullopt;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !EndsField(text_[pos_])) ++pos_;
    const std::string_view field = text_.substr(start, pos_ - start);
    takeFieldEnd();
    failure_ = ReadFailure::None;
    lastValue_ = field;
    return field;
}

std::optional<std::string_view> FieldReader::readRestText() {
    const std::optional<std::string_view> line = readLine();
    if (!line) return std::nullopt;
    lastValue_ = TrimBlanks(*line);
    return lastValue_;
}

template <class T>
bool FieldReader::convert(std::string_view text, T& value) {
    bool outOfRange = false;
    std::optional<T> result;
    if constexpr (std::is_floating_point_v<T>) {
        result = ParseFloating<T>(text, &outOfRange);
    } else if (const std::optional<double> number = ParseDouble(text, &outOfRange)) {
        if constexpr (sizeof(T) == 2) {
            result = ToInt16(*number);
        } else {
            result = ToInt32(*number);
        }
        outOfRange = !result.has_value();
    }
    if (!result) {
        failure_ = outOfRange ? ReadFailure::OutOfRange : ReadFailure::NotANumber;
        return false;
    }
    value = *result;
    return true;
}

template <class T>
bool FieldReader::readNumber(T& value) {
    // The common case, a plain decimal, is scanned and converted in one pass;
    // everything else goes through readFieldText and the general conversion.
    const char* const data = text_.data();
    const char* const end = data + text_.size();
    int line = line_;
    const char* p = SkipBeforeField(data + pos_, end, line);
    if (p == end || *p == ',') {
        const std::optional<std::string_view> field = readFieldText();
        return field && convert(*field, value);
    }
    const char* const begin = p;
    DecimalParts parts;
    ScanDecimal(p, end, parts);
    const char* const numberEnd = p;
    while (p < end && !EndsField(*p)) ++p;
    lastLine_ = line;
    lastValue_ = std::string_view(begin, static_cast<std::size_t>(p - begin));
    p = SkipFieldEnd(p, end, line);
    pos_ = static_cast<std::size_t>(p - data);
    line_ = line;
    failure_ = ReadFailure::None;
    if constexpr (std::is_floating_point_v<T>) {
        if (numberEnd == begin + lastValue_.size() && DecimalValue(parts, value)) return true;
    }
    return convert(lastValue_, value);
}

template <class T>
bool FieldReader::readRestNumber(T& value) {
    const std::optional<std::string_view> rest = readRestText();
    return rest && convert(*rest, value);
}

std::size_t FieldReader::readPlainNumbers(double* out, std::size_t count, double limit) {
    // The state lives in locals for the whole run and is stored once at the end.
    const char* const data = text_.data();
    const char* const end = data + text_.size();
    PlainRun run{data + pos_, line_, nullptr};  // `p` is before the taken numbers' field end
    std::size_t n = 0;
    while (n < count) {
        if (end - run.p >= kBlockTail) {
            // Fifteen digits stay below 1e15: only a lower limit needs the test.
            const std::size_t taken = limit < 1e15 ? TakePlainBlock<true>(run, out + n, count - n, limit, n > 0)
                                                   : TakePlainBlock<false>(run, out + n, count - n, limit, n > 0);
            if (taken > 0) {
                n += taken;
                continue;
            }
        }
        PlainField field;
        if (!NextPlainField(run.p, end, n > 0, run.line, field)) break;
        if (limit < 1e15 && !(field.value <= limit)) break;
        run = {field.end, field.line, field.begin};
        out[n++] = field.value;
    }
    if (n > 0) {
        const char* lastBegin = run.lastBegin;
        const char* lastEnd = run.p;
        lastLine_ = run.line;
        pos_ = static_cast<std::size_t>(SkipFieldEnd(run.p, end, run.line) - data);
        line_ = run.line;
        lastValue_ = std::string_view(lastBegin, static_cast<std::size_t>(lastEnd - lastBegin));
        failure_ = ReadFailure::None;
    }
    return n;
}

template bool FieldReader::readNumber<double>(double&);
template bool FieldReader::readNumber<float>(float&);
template bool FieldReader::readNumber<std::int16_t>(std::int16_t&);
template bool FieldReader::readNumber<std::int32_t>(std::int32_t&);
template bool FieldReader::readRestNumber<double>(double&);
template bool FieldReader::readRestNumber<float>(float&);
template bool FieldReader::readRestNumber<std::int16_t>(std::int16_t&);
template bool FieldReader::readRestNumber<std::int32_t>(std::int32_t&);

}  // namespace lumibench
