#pragma once
// Reading for the EULUMDAT and TM14 readers: the checks before the file is read,
// and the field reader with every read failure raised as a ReaderError.

#include <optional>
#include <string>
#include <string_view>

#include "model/photometric_record.h"
#include "formats/text/field_reader.h"
#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

// "E-" or "E+", exactly as written (a lower-case e is not looked for).
bool HasExponentialData(std::string_view text);

// The exponential-number check over the text from the first "TILT=" line on, then
// the line-delimiter check (which may point `path` at a repaired copy). On success
// sets Filename, TiltIncl and FileDateText and returns the file's decoded text;
// otherwise appends the reason to `message` and returns nullopt.
std::optional<std::string> OpenConversionFile(std::string& path, ReaderMessages& message,
                                              bool noRepair, ReaderContext& context,
                                              PhotometricRecord& record);

class ConversionInput {
public:
    explicit ConversionInput(std::string_view text) : reader_(text) {}

    // No character left (blank lines count as something left).
    bool atEnd() const { return reader_.atEnd(); }
    // Physical line where the latest read began; the line a message points at.
    int lastLine() const { return reader_.lastLine(); }
    int line() const { return reader_.line(); }

    // Whole line, untrimmed.
    std::string_view wholeLine();
    // A whole line that must hold one number (blanks around it allowed).
    template <class T>
    T numberLine(std::string_view line);
    // Next numeric field.
    template <class T>
    T field();
    // Next numeric field of a value list; nullopt when only blank lines remain.
    template <class T>
    std::optional<T> listField();
    // A run of plain values of a list, as FieldReader::readPlainNumbers reads it.
    std::size_t plainRun(double* out, std::size_t count, double limit) {
        return reader_.readPlainNumbers(out, count, limit);
    }

private:
    template <class T>
    T converted(std::optional<T> value);

    FieldReader reader_;
};

// A computed value kept in single precision; Overflow when it does not fit.
float SingleOrOverflow(double value);

// Number turned back into text for a keyword line.
std::string KeywordNumberText(float value);

}  // namespace lumibench
