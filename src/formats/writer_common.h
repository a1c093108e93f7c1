#pragma once
// Pieces shared by the IES, EULUMDAT and TM14 writers: plain number texts,
// value lists broken into lines, the record's header lines taken apart, and
// the photometric facts every format needs in its own terms.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench {

inline constexpr std::string_view kCrLf = "\r\n";

// What a writer produced: the file's bytes, or why it could not write them,
// with every placeholder or approximation it had to make.
struct WrittenText {
    std::string text;
    std::vector<std::string> notes;
    std::string error;
    bool ok() const { return error.empty(); }
};

// Plain decimal text, never an exponent, "." always, with the fewest digits
// that read back the same value: a value that is exactly a single reads back
// as that single, any other value as that double. -0, NaN and infinities are "0".
std::string PlainNumber(double value);
void AppendPlainNumber(std::string& out, double value);
// The shortest fixed text of a single at `out` (room for 400 characters); its end.
char* WriteShortestSingle(char* out, float value);
// The same followed by CR LF: one value on a line of its own.
void AppendPlainLine(std::string& out, double value);

// The values separated by blanks on lines of at most `width` characters, each
// line followed by CR LF; the last value always ends its line.
template <class T>
void AppendNumberLines(std::string& out, const std::vector<T>& values, std::size_t width);

// A header line taken apart at its first "]": tag "[TEST]" and value with the
// blanks around it removed. Lines without a tag keep their whole text as value.
struct HeaderLine {
    std::string tag;  // empty for a line without "[...]" at its start
    std::string value;
};
std::vector<HeaderLine> SplitHeaderLines(const std::vector<std::string>& lines);

// Which format a record's header lines came from; the readers leave a marker
// line first ("EULUMDAT", "CIBSE/1") or keep the IES file's own first line.
enum class HeaderOrigin { Ies, Eulumdat, Tm14 };
HeaderOrigin OriginOf(const PhotometricRecord& record);

// The value of the last line with `tag` (a repeated keyword: the latest wins),
// joined with its "[MORE]" continuations (TM14's "[MORE]" line is text of its
// own: `joinMore` false); nullopt when no line has the tag.
std::optional<std::string> KeywordValue(const std::vector<HeaderLine>& lines, std::string_view tag,
                                        bool joinMore = true);

// One line of text: line ends and other control characters become blanks,
// and the text is cut to `limit` characters (0: no limit) at a character boundary.
std::string OneLine(std::string_view text, std::size_t limit = 0);

// The record's table is what its counts say; text of the first fault otherwise.
std::string ShapeFault(const PhotometricRecord& record);

// Metres of a record dimension in its UnitsType (1 feet, otherwise metres).
double Metres(double value, std::int16_t unitsType);

// Lamp flux that the candela values relate to: LampCount x LumensPerLamp for
// relative photometry; nullopt for absolute photometry or no usable lamp data.
std::optional<double> RelativeLampFlux(const PhotometricRecord& record);

}  // namespace lumibench
