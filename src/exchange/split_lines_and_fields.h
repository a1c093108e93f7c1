#pragma once
// The line and comma splitter shared by the exchange reader, the command
// channel and the host's command line.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

struct SplitText {
    // Non-empty lines in order (line 1 is lines[0]).
    std::vector<std::string> lines;
    // fields[l][f]: every line cut into exactly fieldCount fields. Empty in
    // lines-only mode and when there is no line.
    std::vector<std::vector<std::string>> fields;
    // Commas of the LAST line + 1; 0 in lines-only mode or without a line.
    std::size_t fieldCount = 0;

    std::size_t lineCount() const { return lines.size(); }
};

// Lines end at LF and the character before the LF is dropped unconditionally
// (it is taken to be the CR), so "x\n" yields nothing and lines must end in
// CR LF to survive whole; the last line needs no line end. Lines that come
// out empty are skipped. Every line is cut into as many fields as the last
// line has: shorter lines get empty fields, longer ones lose their tail.
// Fields are not trimmed.
SplitText SplitLinesAndFields(std::string_view text, bool linesOnly);

// The same lines as views into `text`, for readers of large values.
std::vector<std::string_view> SplitLineViews(std::string_view text);

// Line 1 of `text` cut into fields the way SplitLinesAndFields cuts it (the
// count from the last line), as views into `text`; empty without a line.
// Time and memory grow with the text's length, never with lines x fields:
// what the command channel uses for the texts tools write.
std::vector<std::string_view> FirstLineFieldViews(std::string_view text);

// The fields of FirstLineFieldViews one at a time, without building the list:
// for values of hundreds of thousands of numbers on one line.
class FirstLineFieldCursor {
public:
    explicit FirstLineFieldCursor(std::string_view text);
    // How many fields the cursor gives in all, counted without cutting them.
    std::size_t fieldCount() const;
    // The next field; false once every field has been given.
    bool next(std::string_view& field);
    // Reads up to `count` fields that are plain decimals into `values`,
    // stopping before the first field that is not one (or is not there);
    // returns how many were read.
    std::size_t nextPlainNumbers(double* values, std::size_t count);

private:
    std::string_view line_;
    std::size_t position_ = 0;   // past line_.size() once the line is used up
    std::size_t remaining_ = 0;  // fields still to give
    bool padded_ = false;        // fields past line 1's end come out empty
};

}  // namespace lumibench
