#include "formats/reader_errors.h"

namespace lumibench {
namespace {

std::string Describe(ReaderErrorKind kind, std::string_view detail) {
    std::string text(StandardErrorDescription(kind));
    if (!detail.empty()) {
        // "Temporary database error." becomes "Temporary database error: <detail>."
        if (text.ends_with('.')) text.pop_back();
        text.append(": ").append(detail);
        if (!text.ends_with('.')) text.push_back('.');
    }
    return text;
}

}  // namespace

std::string_view StandardErrorDescription(ReaderErrorKind kind) {
    switch (kind) {
        case ReaderErrorKind::InputPastEndOfFile:
            return "Input past end of file: the file ends before all of its values were read.";
        case ReaderErrorKind::TypeMismatch:
            return "Type mismatch: a value that must be a number is not a number.";
        case ReaderErrorKind::Overflow:
            return "Overflow: a number is too large for its field.";
        case ReaderErrorKind::DivisionByZero:
            return "Division by zero: the first lamp set has 0 lamps.";
        case ReaderErrorKind::SubscriptOutOfRange:
            return "Subscript out of range: the counts in the file do not match its data.";
        case ReaderErrorKind::Database:
            return "Temporary database error.";
        case ReaderErrorKind::FileNotReadable:
            return "The file could not be read.";
    }
    return "Unexpected error.";
}

ReaderError::ReaderError(ReaderErrorKind kind, std::string_view detail)
    : std::runtime_error(Describe(kind, detail)), kind_(kind) {}

}  // namespace lumibench
