#pragma once
// Failures that end a conversion reader's run without a message of the format's own:
// the reader appends the standard description of the failure and returns.

#include <stdexcept>
#include <string>
#include <string_view>

namespace lumibench {

enum class ReaderErrorKind {
    InputPastEndOfFile,  // the file ends where a value is still needed
    TypeMismatch,        // a text where a number is needed
    Overflow,            // a number too large for its integer field
    DivisionByZero,      // a first lamp set with 0 lamps
    SubscriptOutOfRange, // counts that do not match the data they announce
    Database,            // the temporary table of the TM14 reorientation
    FileNotReadable,     // the file vanished or became unreadable after its checks
};

// One fixed text per kind; a database failure adds the engine's own words.
std::string_view StandardErrorDescription(ReaderErrorKind kind);

class ReaderError : public std::runtime_error {
public:
    explicit ReaderError(ReaderErrorKind kind, std::string_view detail = {});

    ReaderErrorKind kind() const { return kind_; }
    // The text the reader appends to its message.
    std::string description() const { return what(); }

private:
    ReaderErrorKind kind_;
};

}  // namespace lumibench
