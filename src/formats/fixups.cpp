#include "formats/fixups.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <system_error>

#include "core/path_text.h"
#include "formats/eulumdat/eulumdat_reader.h"
#include "formats/text/field_reader.h"
#include "formats/file_gate.h"
#include "formats/ies/ies_reader.h"
#include "formats/text/line_delimiters.h"
#include "formats/reader_messages.h"
#include "formats/text/text_decoding.h"

namespace lumibench {

namespace {

// Nadir values that differ by less than this share of their mean are one
// value measured with goniometer noise; larger spreads are real and stay refused.
constexpr double kNadirNoiseBound = 0.05;
// A EULUMDAT table that stops short of 180 degrees is padded with zeros only
// when its last row is this dark against the peak...
constexpr double kDarkRowBound = 0.01;
// ...and the padding changes the luminaire's flux by at most this share.
constexpr double kPaddingFluxBound = 0.01;
// Values written per line where the copy gets new lines of values.
constexpr std::size_t kValuesPerLine = 10;

constexpr std::string_view kNothingToFix = "No fix-up applies to this file";

struct Token {
    std::size_t begin = 0;
    std::size_t end = 0;
    int line = 0;
};

struct Edit {
    std::size_t begin = 0;
    std::size_t end = 0;  // begin == end inserts
    std::string text;
};

FixupOutcome NotPossible(std::string reason) {
    FixupOutcome out;
    out.reason = std::move(reason);
    return out;
}

std::string Number(double value) {
    // Fixed notation with at most 6 decimals, trailing zeros dropped: never an
    // exponent, which the copy must not hold.
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    std::string text(buffer, written.ptr);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

std::string Percent(double share) {
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, share * 100, std::chars_format::fixed, 2);
    return std::string(buffer, written.ptr) + " %";
}

// "3.14E-02" as "0.0314", digit for digit (no rounding through binary).
std::optional<std::string> PlainDecimal(std::string_view token) {
    const std::size_t e = token.find_first_of("eE");
    if (e == std::string_view::npos) return std::string(token);
    std::string_view mantissa = token.substr(0, e);
    std::string_view exponentText = token.substr(e + 1);
    std::string sign;
    if (!mantissa.empty() && (mantissa.front() == '-' || mantissa.front() == '+')) {
        if (mantissa.front() == '-') sign = "-";
        mantissa.remove_prefix(1);
    }
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    int exponent = 0;
    const auto parsed = std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    if (parsed.ec != std::errc() || parsed.ptr != exponentText.data() + exponentText.size()) return std::nullopt;
    // Beyond this the value cannot be a photometric number in single precision.
    if (exponent < -60 || exponent > 60) return std::nullopt;
    const std::size_t point = mantissa.find('.');
    std::string digits(mantissa.substr(0, point));
    long pointAt = static_cast<long>(digits.size()) + exponent;
    if (point != std::string_view::npos) digits.append(mantissa.substr(point + 1));
    if (digits.empty()) return std::nullopt;
    if (pointAt <= 0) {
        digits.insert(0, static_cast<std::size_t>(1 - pointAt), '0');
        pointAt = 1;
    }
    if (pointAt > static_cast<long>(digits.size())) digits.append(static_cast<std::size_t>(pointAt) - digits.size(), '0');
    std::string whole = digits.substr(0, static_cast<std::size_t>(pointAt));
    std::string fraction = digits.substr(static_cast<std::size_t>(pointAt));
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string out = sign + whole;
    if (!fraction.empty()) out += "." + fraction;
    if (out == "-0") out = "0";
    return out;
}

// Fields of `text` from `from` on, split at blanks, tabs, commas and line ends,
// with their physical lines (the text has CR LF line ends only).
std::vector<Token> Tokens(std::string_view text, std::size_t from, int firstLine) {
    std::vector<Token> out;
    int line = firstLine;
    std::size_t i = from;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            ++line;
            ++i;
        } else if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
            ++i;
        } else {
            const std::size_t begin = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != ',' &&
                   text[i] != '\r' && text[i] != '\n') {
                ++i;
            }
            out.push_back({begin, i, line});
        }
    }
    return out;
}

std::string ApplyEdits(std::string_view text, std::vector<Edit> edits) {
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        if (a.begin != b.begin) return a.begin < b.begin;
        return (a.begin == a.end) > (b.begin == b.end);  // insertions before replacements
    });
    std::string out;
    out.reserve(text.size() + 1024);
    std::size_t at = 0;
    for (const Edit& edit : edits) {
        out.append(text.substr(at, edit.begin - at));
        out.append(edit.text);
        at = edit.end;
    }
    out.append(text.substr(at));
    return out;
}

// Start offsets of every line; a line ends at LF (the text is CR LF throughout).
std::vector<std::size_t> LineStarts(std::string_view text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && i + 1 < text.size()) starts.push_back(i + 1);
    }
    return starts;
}

std::string_view LineAt(std::string_view text, const std::vector<std::size_t>& starts, std::size_t index) {
    const std::size_t begin = starts[index];
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    if (end > begin && text[end - 1] == '\r') --end;
    return text.substr(begin, end - begin);
}

class FixupBuilder {
public:
    explicit FixupBuilder(std::string_view text) : text_(text) {}

    std::string_view tokenText(const Token& token) const { return text_.substr(token.begin, token.end - token.begin); }

    void replace(const Token& token, std::string text, std::string description) {
        edits_.push_back({token.begin, token.end, std::move(text)});
        note(token.line, std::move(description));
    }
    void insertAfter(const Token& token, std::string text) { edits_.push_back({token.end, token.end, std::move(text)}); }
    void breakAfter(const Token& token, const Token& next, std::string description) {
        edits_.push_back({token.end, next.begin, "\r\n"});
        note(token.line, std::move(description));
    }
    void note(int line, std::string description) { changes_.push_back({line, std::move(description)}); }

    bool empty() const { return changes_.empty(); }
    std::vector<FixupEdit> takeChanges() { return std::move(changes_); }
    std::string result() const { return ApplyEdits(text_, edits_); }

private:
    std::string_view text_;
    std::vector<Edit> edits_;
    std::vector<FixupEdit> changes_;
};

std::optional<double> Value(std::string_view text) { return ParseDouble(text); }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Pole values (one per plane) that differ by goniometer noise only become
// their mean; a larger spread is refused with its figures.
std::optional<FixupOutcome> EqualizePoles(FixupBuilder& fix, const std::vector<Token>& tokens,
                                          const std::vector<double>& values,
                                          const std::vector<std::size_t>& poles) {
    double low = values[poles.front()];
    double high = low;
    double sum = 0;
    bool unequal = false;
    const auto reference = static_cast<float>(values[poles.front()]);
    for (const std::size_t index : poles) {
        low = std::min(low, values[index]);
        high = std::max(high, values[index]);
        sum += values[index];
        unequal = unequal || static_cast<float>(values[index]) != reference;
    }
    if (!unequal) return std::nullopt;
    const double mean = sum / static_cast<double>(poles.size());
    const double spread = high - low;
    if (!(mean > 0) || spread >= kNadirNoiseBound * mean) {
        return NotPossible("Nadir candela values spread over " + Number(spread) + ", " +
                           (mean > 0 ? Percent(spread / mean) : std::string("more than all")) +
                           " of their mean, more than the " + Percent(kNadirNoiseBound) +
                           " that goniometer noise explains; the file is left alone.");
    }
    const std::string meanText = Number(mean);
    fix.note(tokens[poles.front()].line, "nadir values of the " + std::to_string(poles.size()) +
                                             " planes set to their mean " + meanText + " (spread " +
                                             Number(spread) + ", " + Percent(spread / mean) + " of the mean)");
    for (const std::size_t index : poles) {
        const Token& token = tokens[index];
        const std::string_view written = fix.tokenText(token);
        if (written != meanText) {
            fix.replace(token, meanText, "nadir value " + std::string(written) + " set to " + meanText);
        }
    }
    return std::nullopt;
}

// ---- IES -------------------------------------------------------------------

FixupOutcome PlanIesFixups(std::string_view text, FixupBuilder& fix) {
    // The header ends at the first line without "]" that begins "TILT=".
    const std::vector<std::size_t> starts = LineStarts(text);
    std::size_t tiltLine = starts.size();
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::string_view line = LineAt(text, starts, i);
        if (line.find(']') == std::string_view::npos && line.starts_with("TILT=")) {
            tiltLine = i;
            break;
        }
    }
    if (tiltLine == starts.size()) return NotPossible("The file has no TILT line; it is left alone.");
    const std::string_view tilt = LineAt(text, starts, tiltLine);
    const bool include = Trimmed(tilt.substr(5, 7)) == "INCLUDE";
    if (!include && Trimmed(tilt.substr(5, 4)) != "NONE") {
        return NotPossible("The file refers to a separate tilt file; it is left alone.");
    }
    if (tiltLine + 1 >= starts.size()) return NotPossible("The file ends at its TILT line; it is left alone.");
    const std::vector<Token> tokens = Tokens(text, starts[tiltLine + 1], static_cast<int>(tiltLine) + 2);
    std::vector<double> values;
    values.reserve(tokens.size());
    for (const Token& token : tokens) {
        const std::optional<double> value = Value(fix.tokenText(token));
        if (!value) {
            return NotPossible("Line " + std::to_string(token.line) + " holds \"" + std::string(fix.tokenText(token)) +
                               "\", which is not a number; the file is left alone.");
        }
        values.push_back(*value);
    }

    std::size_t lamp = 0;
    if (include) {
        if (values.size() < 2) return NotPossible("The tilt block is incomplete; the file is left alone.");
        const double pairs = values[1];
        if (pairs < 0 || pairs != std::floor(pairs)) return NotPossible("The tilt block's count is not a whole number; the file is left alone.");
        lamp = 2 + 2 * static_cast<std::size_t>(pairs);
    }
    if (values.size() < lamp + 13) return NotPossible("The lamp and ballast values are incomplete; the file is left alone.");
    const double vertical = values[lamp + 3];
    const double horizontal = values[lamp + 4];
    if (vertical < 1 || horizontal < 1 || vertical > 32767 || horizontal > 32767 || vertical != std::floor(vertical) ||
        horizontal != std::floor(horizontal)) {
        return NotPossible("The angle counts are not whole numbers above 0; the file is left alone.");
    }
    const std::size_t v = static_cast<std::size_t>(vertical);
    const std::size_t h = static_cast<std::size_t>(horizontal);
    const std::size_t vStart = lamp + 13;
    const std::size_t hStart = vStart + v;
    const std::size_t cStart = hStart + h;
    const std::size_t expected = cStart + v * h;
    if (values.size() != expected) {
        return NotPossible("The file holds " + std::to_string(values.size()) + " values after its TILT line where its counts call for " +
                           std::to_string(expected) + "; which value belongs where is not certain, so the file is left alone.");
    }

    // Exponents: the check refuses "E-" and "E+"; they become plain decimals.
    for (const Token& token : tokens) {
        const std::string_view written = fix.tokenText(token);
        if (written.find("E-") == std::string_view::npos && written.find("E+") == std::string_view::npos) continue;
        const std::optional<std::string> plain = PlainDecimal(written);
        if (!plain) return NotPossible("Line " + std::to_string(token.line) + ": " + std::string(written) + " cannot be written as a plain decimal; the file is left alone.");
        fix.replace(token, *plain, std::string(written) + " written as " + *plain);
    }
    auto plainText = [&](std::size_t index) {
        const std::string_view written = fix.tokenText(tokens[index]);
        return PlainDecimal(written).value_or(std::string(written));
    };

    // Line breaks that the counts place and the reader needs.
    auto needBreak = [&](std::size_t index, const std::string& what) {
        if (index + 1 >= tokens.size() || tokens[index + 1].line != tokens[index].line) return;
        fix.breakAfter(tokens[index], tokens[index + 1], "line break inserted after " + what);
    };
    needBreak(lamp + 9, "the tenth value of the lamp line (height)");
    needBreak(lamp + 12, "the input watts");
    needBreak(hStart - 1, "the last vertical angle");
    needBreak(cStart - 1, "the last horizontal angle");
    for (std::size_t j = 0; j < h; ++j) {
        needBreak(cStart + (j + 1) * v - 1, "the last candela value of horizontal angle " + Number(values[hStart + j]));
    }

    const bool typeC = values[lamp + 5] == 1;
    std::vector<double> hor(values.begin() + static_cast<long>(hStart), values.begin() + static_cast<long>(cStart));

    // Type C angles 0 ... short of 360 whose last gap is no wider than the
    // others: the circle is covered, only the closing plane is missing.
    if (typeC && h >= 2 && hor.front() == 0 && hor.back() > 180 && hor.back() < 360) {
        double widest = 0;
        bool ascending = true;
        for (std::size_t j = 1; j < h; ++j) {
            ascending = ascending && hor[j] > hor[j - 1];
            widest = std::max(widest, hor[j] - hor[j - 1]);
        }
        if (ascending && 360 - hor.back() <= widest + 1e-6) {
            fix.replace(tokens[lamp + 4], std::to_string(h + 1),
                        "number of horizontal angles " + std::to_string(h) + " becomes " + std::to_string(h + 1));
            fix.insertAfter(tokens[cStart - 1], " 360");
            fix.note(tokens[cStart - 1].line, "horizontal angle 360 added after " + Number(hor.back()));
            std::string plane;
            for (std::size_t i = 0; i < v; ++i) {
                plane += (i % kValuesPerLine == 0) ? "\r\n" : " ";
                plane += plainText(cStart + i);
            }
            fix.insertAfter(tokens[expected - 1], plane);
            fix.note(tokens[expected - 1].line, "candela values of the 360 plane added after this line, equal to the 0 plane");
        }
    }

    // Type C nadir (or zenith) values that differ by goniometer noise only.
    if (typeC) {
        const std::size_t pole = values[vStart] != 90 ? 0 : v - 1;
        std::vector<std::size_t> poles;
        for (std::size_t j = 0; j < h; ++j) poles.push_back(cStart + j * v + pole);
        if (std::optional<FixupOutcome> refused = EqualizePoles(fix, tokens, values, poles)) return *refused;
    }
    return {};
}

// ---- EULUMDAT ----------------------------------------------------------------

std::size_t StoredPlanes(long isym, long mc) {
    switch (isym) {
        case 1: return 1;
        case 2: return static_cast<std::size_t>(mc / 2 + 1);
        case 3: {
            const long a = 3 * mc / 4 + 1;
            const long b = mc / 2 + a;
            return static_cast<std::size_t>(b - a + 1);
        }
        case 4: return static_cast<std::size_t>(mc / 4 + 1);
        default: return static_cast<std::size_t>(mc);
    }
}

// Flux of a table of planes over gamma angles, up to a constant: the mean over
// planes of the trapezoid integral of I(gamma) sin(gamma).
double RelativeFlux(const std::vector<std::vector<double>>& planes, const std::vector<double>& gamma) {
    double total = 0;
    for (const std::vector<double>& plane : planes) {
        for (std::size_t j = 1; j < gamma.size(); ++j) {
            const double a = gamma[j - 1] * std::numbers::pi / 180;
            const double b = gamma[j] * std::numbers::pi / 180;
            total += (plane[j - 1] * std::sin(a) + plane[j] * std::sin(b)) / 2 * (b - a);
        }
    }
    return planes.empty() ? 0 : total / static_cast<double>(planes.size());
}

FixupOutcome PlanEulumdatFixups(std::string_view text, FixupBuilder& fix) {
    const std::vector<std::size_t> starts = LineStarts(text);
    constexpr std::size_t kLampSetsLine = 25;  // 0-based index of line 26
    if (starts.size() <= kLampSetsLine) return NotPossible("The file ends inside its header; it is left alone.");
    auto wholeNumber = [&](std::size_t index) -> std::optional<long> {
        const std::optional<double> value = Value(Trimmed(LineAt(text, starts, index)));
        if (!value || *value != std::floor(*value)) return std::nullopt;
        return static_cast<long>(*value);
    };
    const std::optional<long> isym = wholeNumber(2);
    const std::optional<long> mc = wholeNumber(3);
    const std::optional<long> ng = wholeNumber(5);
    const std::optional<long> sets = wholeNumber(kLampSetsLine);
    if (!isym || !mc || !ng || !sets || *mc < 1 || *ng < 2 || *sets < 0 || *mc > 32767 || *ng > 32767) {
        return NotPossible("The header's counts are not plain whole numbers; the file is left alone.");
    }
    const std::size_t dataLine = kLampSetsLine + 1 + 6 * static_cast<std::size_t>(*sets);
    if (dataLine >= starts.size()) return NotPossible("The file ends inside its lamp sets; it is left alone.");
    const std::vector<Token> tokens = Tokens(text, starts[dataLine], static_cast<int>(dataLine) + 1);
    const std::size_t planes = StoredPlanes(*isym, *mc);
    const std::size_t n = static_cast<std::size_t>(*ng);
    const std::size_t gStart = 10 + static_cast<std::size_t>(*mc);
    const std::size_t iStart = gStart + n;
    const std::size_t expected = iStart + planes * n;
    if (tokens.size() != expected) {
        return NotPossible("The file holds " + std::to_string(tokens.size()) + " values after its lamp sets where its counts call for " +
                           std::to_string(expected) + "; the file is left alone.");
    }
    std::vector<double> values;
    for (const Token& token : tokens) {
        const std::optional<double> value = Value(fix.tokenText(token));
        if (!value) return NotPossible("Line " + std::to_string(token.line) + " holds a value that is not a number; the file is left alone.");
        values.push_back(*value);
    }
    std::vector<double> gamma(values.begin() + static_cast<long>(gStart), values.begin() + static_cast<long>(iStart));
    if (planes > 1) {
        const std::size_t pole = gamma.front() != 90 ? 0 : n - 1;
        std::vector<std::size_t> poles;
        for (std::size_t i = 0; i < planes; ++i) poles.push_back(iStart + i * n + pole);
        if (std::optional<FixupOutcome> refused = EqualizePoles(fix, tokens, values, poles)) return *refused;
    }
    const double last = gamma.back();
    if (last == 90 || last == 180 || last > 180 || last < 90) return {};
    const double step = gamma[n - 1] - gamma[n - 2];
    const double rows = (180 - last) / step;
    if (!(step > 0) || std::fabs(rows - std::round(rows)) > 1e-6) {
        return NotPossible("The gamma angles end at " + Number(last) + " with a step that does not reach 180; the file is left alone.");
    }
    std::vector<std::vector<double>> table(planes, std::vector<double>(n));
    double peak = 0;
    double lastRowPeak = 0;
    for (std::size_t i = 0; i < planes; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            table[i][j] = values[iStart + i * n + j];
            peak = std::max(peak, table[i][j]);
        }
        lastRowPeak = std::max(lastRowPeak, table[i][n - 1]);
    }
    if (!(peak > 0) || lastRowPeak > kDarkRowBound * peak) {
        return NotPossible("The intensity at gamma " + Number(last) + " reaches " + Number(lastRowPeak) + " cd/klm, more than " +
                           Percent(kDarkRowBound) + " of the peak; padding with zeros would change the distribution, so the file is left alone.");
    }
    const std::size_t added = static_cast<std::size_t>(std::round(rows));
    std::vector<double> padded = gamma;
    for (std::size_t k = 1; k <= added; ++k) padded.push_back(last + step * static_cast<double>(k));
    std::vector<std::vector<double>> paddedTable = table;
    for (auto& plane : paddedTable) plane.resize(padded.size(), 0.0);
    const double before = RelativeFlux(table, gamma);
    const double after = RelativeFlux(paddedTable, padded);
    const double change = before > 0 ? (after - before) / before : 0;
    if (std::fabs(change) > kPaddingFluxBound) {
        return NotPossible("Padding the gamma angles to 180 would change the flux by " + Percent(change) + ", more than " +
                           Percent(kPaddingFluxBound) + "; the file is left alone.");
    }
    const std::size_t newCount = n + added;
    const Token countToken{starts[5], starts[5] + LineAt(text, starts, 5).size(), 6};
    fix.replace(countToken, std::to_string(newCount),
                "number of gamma angles " + std::to_string(n) + " becomes " + std::to_string(newCount));
    std::string angles;
    for (std::size_t k = 1; k <= added; ++k) angles += "\r\n" + Number(last + step * static_cast<double>(k));
    fix.insertAfter(tokens[iStart - 1], angles);
    fix.note(tokens[iStart - 1].line, "gamma angles up to 180 added after " + Number(last));
    std::string zeros;
    for (std::size_t k = 0; k < added; ++k) zeros += "\r\n0";
    for (std::size_t i = 0; i < planes; ++i) {
        const Token& end = tokens[iStart + (i + 1) * n - 1];
        fix.insertAfter(end, zeros);
        fix.note(end.line, std::to_string(added) + " zero intensities added after this line for C-plane " + std::to_string(i + 1));
    }
    fix.note(tokens[iStart - 1].line, "flux change of the padding: " + Percent(change));
    return {};
}

enum class Format { Ies, Eulumdat, Other };

Format FormatOf(const std::string& path) {
    const std::string extension = UpperAscii(SplitPath(path).extension);
    if (extension == ".IES") return Format::Ies;
    if (extension == ".LDT" || extension == ".EXL") return Format::Eulumdat;
    return Format::Other;
}

}  // namespace

FixupOutcome PlanFileFixups(const std::string& path) {
    if (std::string refusal = RefusalBeforeReading(path); !refusal.empty()) return NotPossible(refusal);
    const Format format = FormatOf(path);
    if (format == Format::Other) return NotPossible("No fix-up is known for files of this kind.");
    std::string bytes;
    std::error_code error;
    if (!ReadFileBytes(path, bytes, error)) return NotPossible("The file could not be read: " + error.message());
    std::string repaired;
    const bool lineEnds = RepairLineDelimiters(bytes, repaired);
    // The copy gets the line-end repair as well, so the fix-ups work on CR LF
    // lines, whose numbers are those of the original.
    const std::string text = lineEnds ? std::move(repaired) : std::move(bytes);

    FixupBuilder fix(text);
    FixupOutcome outcome = format == Format::Ies ? PlanIesFixups(text, fix) : PlanEulumdatFixups(text, fix);
    if (!outcome.reason.empty()) return outcome;
    if (fix.empty() && !lineEnds) {
        return NotPossible(std::string(kNothingToFix) + ".");
    }
    std::vector<FixupEdit> changes = fix.takeChanges();
    if (lineEnds) changes.insert(changes.begin(), FixupEdit{1, "every line end made CR LF"});
    std::stable_sort(changes.begin(), changes.end(), [](const FixupEdit& a, const FixupEdit& b) { return a.line < b.line; });
    std::string fixed = fix.result();

    // The copy must load under the unchanged rules, or it is not written.
    const std::string decoded = DecodeFileText(fixed);
    PhotometricRecord record;
    ReaderMessages messages;
    if (format == Format::Ies) {
        const std::string fromTilt = TextFromLines(decoded, true);
        if (fromTilt.find("E-") != std::string::npos || fromTilt.find("E+") != std::string::npos) {
            return NotPossible("Exponent numbers remain outside the values the fix-ups rewrite; the file is left alone.");
        }
        ReadIesText(decoded, record, messages);
    } else {
        ReadEulumdatText(decoded, record, messages);
    }
    if (!messages.empty()) {
        const LocatedMessage& first = messages.located().front();
        return NotPossible("The fixed copy would still be refused: " + first.text);
    }
    outcome.possible = true;
    outcome.changes = std::move(changes);
    outcome.fixedBytes = std::move(fixed);
    return outcome;
}

std::string WriteFixedCopy(const std::string& path, const FixupOutcome& outcome,
                           const std::string& userDataFolder, std::string& error) {
    if (!outcome.possible) {
        error = outcome.reason;
        return {};
    }
    std::error_code failure;
    std::string copy = WriteRepairedCopy(path, outcome.fixedBytes, userDataFolder, failure);
    if (copy.empty()) error = std::string(kUnableToRepairMessage) + failure.message();
    return copy;
}

}  // namespace lumibench
