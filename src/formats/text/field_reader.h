#pragma once
// Free-format reading of photometric text: whole lines, numeric fields and
// rest-of-line values, with the physical line of every read.
//
// Rules, in the terms the readers use:
// - Line ends are CR LF and a lone CR (the line-end check has made them CR LF;
//   a lone CR still counts, as in ReadFileText). A lone LF does not end a line
//   for whole-line and rest-of-line reads; between fields it is a separator.
// - Physical line numbers count as an editor does: CR LF, a lone CR and a lone
//   LF each end a line. Line 1 is the first.
// - Whole line: the text up to the next line end, exactly as it stands.
// - Numeric field: blanks, tabs and line ends before it are skipped, so a value
//   list may run over any number of lines. The field runs to the next blank,
//   tab, comma or line end. After it, blanks are skipped and then one comma (with
//   the blanks after it) or one line end is taken; a comma at the end of a line
//   takes the line end too. So a field that is last on its line leaves the
//   reader at the start of the next line.
// - Rest of line: what remains of the current line, or the whole next line
//   when the previous field ended its line; blanks and tabs around the value are
//   allowed, anything else on the line makes it "not a number". The line end is
//   taken. At the start of a line this is the whole line read as a number.
// - Numbers: optional sign, digits with at most one ".", at least one digit,
//   optional exponent (e or E, optional sign, digits). Nothing else: no "inf",
//   "nan", hex, thousands separators or quotes. Conversion ignores the locale.
// - Left open by the file formats, decided here:
//   * a double quote is an ordinary character, so a quoted number is not a number;
//   * an empty field (two commas with only blanks between, or a comma where a
//     field should start) is a read failure, never a silent 0;
//   * a comma always separates fields, so a decimal comma ("0,5") reads as two
//     fields; files that follow the formats use a decimal point.
// - 16-bit and 32-bit integers are rounded to nearest, ties to even (a
//   fractional count is rounded, not refused); out of range is a read failure.
//   Single and Double are converted directly from the text (correctly rounded);
//   a value beyond their range is a read failure.
// - The last value read: the text most recently taken by a numeric field or a
//   rest-of-line read (trimmed), also when it then failed to convert; a read
//   that meets the end of the text leaves it as it was. It points into the text.
//
// The reader does not copy the text; the text must outlive it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lumibench {

enum class ReadFailure {
    None,
    EndOfText,   // nothing left to read
    EmptyField,  // a comma where a field should start
    NotANumber,  // field or rest of line is not exactly one number
    OutOfRange,  // a number beyond the target type's range
};

class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    // True when no character remains (blank lines left over are not the end).
    bool atEnd() const { return pos_ >= text_.size(); }
    // Physical line of the current position.
    int line() const { return line_; }
    // Physical line where the most recent read began (its first character).
    int lastLine() const { return lastLine_; }
    std::size_t position() const { return pos_; }

    std::string_view lastValue() const { return lastValue_; }
    // For values that must not become the quoted last value (read, then put back).
    void setLastValue(std::string_view value) { lastValue_ = value; }
    ReadFailure lastFailure() const { return failure_; }

    // Whole line without its line end; nullopt at the end of the text.
    std::optional<std::string_view> readLine();

    // Numeric field as raw text; nullopt on end of text or an empty field.
    std::optional<std::string_view> readFieldText();
    // Rest of line as raw text, trimmed; nullopt at the end of the text.
    std::optional<std::string_view> readRestText();

    // Numeric field converted to T (double, float, std::int16_t, std::int32_t).
    // The bool forms leave `value` unchanged on failure; they are the fast path
    // for long value lists.
    template <class T>
    bool readNumber(T& value);
    template <class T>
    std::optional<T> readNumber() {
        T value{};
        if (!readNumber(value)) return std::nullopt;
        return value;
    }
    // Rest of line converted to T.
    template <class T>
    bool readRestNumber(T& value);

    // Up to `count` numeric fields into `out`, as readNumber<double> would
    // read them, for long value lists. Takes only plain decimals without a
    // sign whose value is at most `limit`, and stops before any other field
    // (or at the end of the text) without taking it, so that the caller reads
    // that one with readNumber and gets its checks and messages. Returns how
    // many were read; the last value and its line are as after readNumber.
    std::size_t readPlainNumbers(double* out, std::size_t count, double limit);
    template <class T>
    std::optional<T> readRestNumber() {
        T value{};
        if (!readRestNumber(value)) return std::nullopt;
        return value;
    }

    std::optional<double> readDouble() { return readNumber<double>(); }
    std::optional<float> readSingle() { return readNumber<float>(); }
    std::optional<std::int16_t> readInt16() { return readNumber<std::int16_t>(); }
    std::optional<std::int32_t> readInt32() { return readNumber<std::int32_t>(); }
    std::optional<double> readRestDouble() { return readRestNumber<double>(); }
    std::optional<float> readRestSingle() { return readRestNumber<float>(); }
    std::optional<std::int16_t> readRestInt16() { return readRestNumber<std::int16_t>(); }
    std::optional<std::int32_t> readRestInt32() { return readRestNumber<std::int32_t>(); }

private:
    void skipSeparatorsBeforeField();
    void takeFieldEnd();
    bool takeLineEnd();
    template <class T>
    bool convert(std::string_view text, T& value);

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int lastLine_ = 1;
    std::string_view lastValue_;
    ReadFailure failure_ = ReadFailure::None;
};

// Physical line (1-based, CR LF, lone CR and lone LF each ending a line) of the
// character at `position` in `text`.
int PhysicalLineAt(std::string_view text, std::size_t position);

// Text that is exactly one number in the syntax above (no blanks around it).
bool IsNumberText(std::string_view text);

// Strict conversions of number text; nullopt when not a number or out of range.
// `outOfRange`, when given, tells the two apart.
std::optional<double> ParseDouble(std::string_view text, bool* outOfRange = nullptr);
std::optional<float> ParseSingle(std::string_view text, bool* outOfRange = nullptr);

}  // namespace lumibench
