#pragma once
// The options a command-line program knows, as one table that its parser
// checks every option against and that the shell completion is generated
// from, so the two cannot drift apart: an option missing from the table is
// refused by the parser, and every row is offered by the completion.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumibench {

// What an option takes after it, as far as completing it needs to know.
enum class OptionValue {
    None,
    Text,    // anything: nothing to offer
    Number,
    Choice,  // one of `choices`
    File,    // any file
    Folder,
    FileOrFolder,
};

struct OptionSpec {
    OptionSpec(std::vector<std::string> names_, OptionValue value_ = OptionValue::None,
               std::vector<std::string> choices_ = {}, bool joinedValue_ = false, bool valueOptional_ = false)
        : names(std::move(names_)), value(value_), choices(std::move(choices_)), joinedValue(joinedValue_),
          valueOptional(valueOptional_) {}

    std::vector<std::string> names;  // "--out", "-o": the first is the one offered
    OptionValue value = OptionValue::None;
    std::vector<std::string> choices;
    // The value is given only as "--name=VALUE" (and "--name" alone is
    // refused unless `valueOptional`).
    bool joinedValue = false;
    bool valueOptional = false;
};

using OptionTable = std::vector<OptionSpec>;

// The row of `arg` ("--to", "--to=ldt", "-o"), or null.
const OptionSpec* FindOption(const OptionTable& table, std::string_view arg);

// The rows of "--help" (and "-h") and "--version", which the shared argument
// loop answers for every program that uses it.
OptionSpec HelpOption();
OptionSpec VersionOption();

}  // namespace lumibench
