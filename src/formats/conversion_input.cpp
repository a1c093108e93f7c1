#include "formats/conversion_input.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "core/number_text.h"
#include "formats/conversion_texts.h"
#include "formats/file_date_text.h"
#include "formats/file_gate.h"
#include "formats/text/line_delimiters.h"
#include "formats/reader_errors.h"
#include "formats/text/text_decoding.h"

namespace lumibench {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

ReaderError ErrorFor(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::EndOfText:
            return ReaderError(ReaderErrorKind::InputPastEndOfFile);
        case ReadFailure::OutOfRange:
            return ReaderError(ReaderErrorKind::Overflow);
        default:
            return ReaderError(ReaderErrorKind::TypeMismatch);
    }
}

template <class T>
std::optional<T> ParseAs(std::string_view text, bool& outOfRange) {
    if constexpr (std::is_same_v<T, float>) {
        return ParseSingle(text, &outOfRange);
    } else {
        const std::optional<double> number = ParseDouble(text, &outOfRange);
        if constexpr (std::is_same_v<T, double>) {
            return number;
        } else {
            if (!number) return std::nullopt;
            std::optional<T> whole;
            if constexpr (sizeof(T) == 2) {
                whole = ToInt16(*number);
            } else {
                whole = ToInt32(*number);
            }
            outOfRange = !whole.has_value();
            return whole;
        }
    }
}

}  // namespace

bool HasExponentialData(std::string_view text) {
    return text.find("E-") != std::string_view::npos || text.find("E+") != std::string_view::npos;
}

std::optional<std::string> OpenConversionFile(std::string& path, ReaderMessages& message,
                                              bool noRepair, ReaderContext& context,
                                              PhotometricRecord& record) {
    // These formats have no "TILT=" line, so as asked this looks at nothing: numbers
    // with exponents are read correctly below and are no reason to refuse a file.
    if (const std::string refusal = RefusalBeforeReading(path); !refusal.empty()) {
        message.add(refusal);
        return std::nullopt;
    }
    FileBytes bytes;
    std::string refusal;
    int line = 0;
    switch (TakeInFile(path, bytes, refusal, line, noRepair, context.messages, context.userDataFolder)) {
        case Intake::Exponential: message.add(conversion_text::kExponentialData); return std::nullopt;
        case Intake::Refused: message.add(refusal); return std::nullopt;
        case Intake::Read: break;
    }
    record.Filename = path;
    record.TiltIncl = kFalse;
    record.FileDateText = FileDateText(path);
    std::string converted;
    const std::string_view text = DecodedView(bytes.view(), converted);
    if (converted.empty()) converted.assign(text);
    return converted;
}

std::string_view ConversionInput::wholeLine() {
    const std::optional<std::string_view> line = reader_.readLine();
    if (!line) throw ReaderError(ReaderErrorKind::InputPastEndOfFile);
    return *line;
}

template <class T>
T ConversionInput::numberLine(std::string_view line) {
    bool outOfRange = false;
    const std::optional<T> value = ParseAs<T>(TrimBlanks(line), outOfRange);
    if (!value) {
        throw ReaderError(outOfRange ? ReaderErrorKind::Overflow : ReaderErrorKind::TypeMismatch);
    }
    return *value;
}

template <class T>
T ConversionInput::converted(std::optional<T> value) {
    if (!value) throw ErrorFor(reader_.lastFailure());
    return *value;
}

template <class T>
T ConversionInput::field() {
    return converted(reader_.readNumber<T>());
}

template <class T>
std::optional<T> ConversionInput::listField() {
    std::optional<T> value = reader_.readNumber<T>();
    if (!value && reader_.lastFailure() == ReadFailure::EndOfText) return std::nullopt;
    return converted(value);
}

template std::int16_t ConversionInput::numberLine<std::int16_t>(std::string_view);
template float ConversionInput::numberLine<float>(std::string_view);
template double ConversionInput::numberLine<double>(std::string_view);
template std::int16_t ConversionInput::field<std::int16_t>();
template std::int32_t ConversionInput::field<std::int32_t>();
template float ConversionInput::field<float>();
template double ConversionInput::field<double>();
template std::optional<float> ConversionInput::listField<float>();
template std::optional<double> ConversionInput::listField<double>();

float SingleOrOverflow(double value) {
    if (!(std::fabs(value) <= std::numeric_limits<float>::max())) {
        throw ReaderError(ReaderErrorKind::Overflow);
    }
    return static_cast<float>(value);
}

std::string KeywordNumberText(float value) {
    // The usual number text of a header value: like the exchange form, but
    // with the zero before the point that people expect to read ("0.41").
    std::string text = FormatCompact(value);
    if (text.starts_with('.')) {
        text.insert(0, 1, '0');
    } else if (text.starts_with("-.")) {
        text.insert(1, 1, '0');
    }
    return text;
}

}  // namespace lumibench
