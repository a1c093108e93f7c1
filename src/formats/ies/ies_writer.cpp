#include "formats/ies/ies_writer.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace lumibench {
namespace {

constexpr std::string_view kPlaceholder = "Not given";
// Numeric lines stay short of every edition's limit and of old editors' 80 columns.
constexpr std::size_t kNumberLineWidth = 78;
// Our reader keeps at most 132 characters after the "]"; the blank after it counts.
constexpr std::size_t kValueChunk = 120;

// Tags whose values our reader checks for "|" (it refuses them there).
constexpr std::array<std::string_view, 9> kCheckedTags = {
    "[TEST]", "[DATE]", "[ISSUEDATE]", "[MANUFAC]", "[LUMCAT]", "[LUMINAIRE]", "[LAMPCAT]", "[LAMP]", "[BALLAST]"};

struct EditionRules {
    std::string_view marker;
    std::size_t lineLimit;
    std::vector<std::string_view> required;
    std::string_view ballastSecond;  // future use, or the 2019 file generation type "undefined"
};

EditionRules RulesFor(IesEdition edition) {
    switch (edition) {
    case IesEdition::Lm63_1995:
        return {"IESNA:LM-63-1995", 132, {"[TEST]", "[MANUFAC]"}, "1"};
    case IesEdition::Lm63_2019:
        return {"IES:LM-63-2019",
                256,
                {"[TEST]", "[TESTLAB]", "[ISSUEDATE]", "[MANUFAC]", "[LUMCAT]", "[LUMINAIRE]", "[LAMPCAT]",
                 "[LAMP]"},
                "1.00001"};
    case IesEdition::Lm63_2002:
        break;
    }
    return {"IESNA:LM-63-2002", 256, {"[TEST]", "[TESTLAB]", "[ISSUEDATE]", "[MANUFAC]"}, "1"};
}

// Format markers the readers keep as header lines; a written file has its own.
bool IsFormatMarker(std::string_view line) {
    return line.starts_with("IESNA") || line.starts_with("IES:LM-63") || line == "EULUMDAT" || line == "CIBSE/1";
}

bool IsCheckedTag(std::string_view tag) {
    return std::find(kCheckedTags.begin(), kCheckedTags.end(), tag) != kCheckedTags.end();
}

class IesWriting {
public:
    IesWriting(const PhotometricRecord& record, IesEdition edition, WrittenText& out)
        : record_(record), rules_(RulesFor(edition)), edition_(edition), out_(out) {}

    void run() {
        if (const std::string fault = ShapeFault(record_); !fault.empty()) {
            out_.error = "Cannot write this data set: " + fault + ".";
            return;
        }
        std::string& text = out_.text;
        text.append(rules_.marker).append(kCrLf);
        writeHeader();
        writeTilt();
        writeLampLines();
        AppendNumberLines(text, record_.VertAngles, kNumberLineWidth);
        AppendNumberLines(text, record_.HorAngles, kNumberLineWidth);
        writeCandela();
    }

private:
    void note(std::string text) {
        if (std::find(out_.notes.begin(), out_.notes.end(), text) == out_.notes.end()) out_.notes.push_back(std::move(text));
    }

    std::string editionTag(std::string tag) const {
        if (edition_ == IesEdition::Lm63_1995 && tag == "[ISSUEDATE]") return "[DATE]";
        if (edition_ != IesEdition::Lm63_1995 && tag == "[DATE]") return "[ISSUEDATE]";
        return tag;
    }

    // One keyword, continued on "[MORE]" lines where it is longer than a line
    // may hold. Pieces break at blanks, which the reader puts back when it joins them.
    void keyword(const std::string& tag, std::string value) {
        // Our reader's exponent check starts at the first line holding "TILT=".
        for (std::size_t at = value.find("TILT="); at != std::string::npos; at = value.find("TILT=", at)) {
            value.insert(at + 4, " ");
        }
        if (IsCheckedTag(tag) && value.find('|') != std::string::npos) {
            std::replace(value.begin(), value.end(), '|', '/');
            note(tag + " held \"|\", which our reader refuses: written as \"/\".");
        }
        const std::size_t chunk = std::min(kValueChunk, rules_.lineLimit - std::string_view("[MORE] ").size());
        std::string_view rest(value);
        std::string currentTag = tag;
        do {
            std::size_t take = rest.size();
            if (take > chunk) {
                take = rest.rfind(' ', chunk);
                if (take == std::string_view::npos || take == 0) {
                    take = chunk;
                    note(tag + " is longer than a line: continued on [MORE] lines without a blank between.");
                }
            }
            std::string line = currentTag;
            if (!rest.empty()) line.append(" ").append(rest.substr(0, take));
            header_.push_back(std::move(line));
            rest.remove_prefix(take);
            while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
            currentTag = "[MORE]";
        } while (!rest.empty());
        tags_.push_back(tag);
    }

    void writeHeader() {
        const HeaderOrigin origin = OriginOf(record_);
        bool freeText = false;
        for (const HeaderLine& line : SplitHeaderLines(record_.Keywords)) {
            if (line.tag.empty()) {
                const std::string value = OneLine(line.value);
                if (IsFormatMarker(value) || value.empty()) continue;
                keyword("[OTHER]", value);
                freeText = true;
                continue;
            }
            std::string tag = editionTag(OneLine(line.tag));
            // A TM14 file's further text is no continuation of its lamp line.
            if (origin == HeaderOrigin::Tm14 && tag == "[MORE]") tag = "[OTHER]";
            if (tag == "[MORE]" && !header_.empty()) {
                std::string value = OneLine(line.value, kValueChunk);
                if (value.find('|') != std::string::npos) {
                    std::replace(value.begin(), value.end(), '|', '/');
                    note("[MORE] held \"|\", which our reader refuses: written as \"/\".");
                }
                header_.push_back("[MORE] " + value);
                continue;
            }
            keyword(tag, OneLine(line.value));
        }
        if (freeText) note("Header lines without a keyword were written as [OTHER] keywords.");

        std::vector<std::string> missing;
        for (std::string_view required : rules_.required) {
            const std::string tag(required);
            if (std::find(tags_.begin(), tags_.end(), tag) == tags_.end()) missing.push_back(tag);
        }
        std::vector<std::string> placeholders;
        for (const std::string& tag : missing) {
            placeholders.push_back(tag + " " + std::string(kPlaceholder));
            note(tag + " is not in the data: written as \"" + std::string(kPlaceholder) + "\".");
        }
        for (const std::string& line : placeholders) out_.text.append(line).append(kCrLf);
        for (const std::string& line : header_) out_.text.append(line).append(kCrLf);
    }

    void writeTilt() {
        std::string& text = out_.text;
        if (record_.TiltIncl != kTrue) {
            if (record_.TiltIncl != kFalse) note("The data named a separate tilt file, which is not kept: written as TILT=NONE.");
            text.append("TILT=NONE").append(kCrLf);
            return;
        }
        text.append("TILT=INCLUDE").append(kCrLf);
        text.append(std::to_string(record_.LampGeometry)).append(kCrLf);
        text.append(std::to_string(record_.TiltPairCount)).append(kCrLf);
        if (record_.TiltPairCount > 0) {
            AppendNumberLines(text, record_.TiltAngles, kNumberLineWidth);
            AppendNumberLines(text, record_.TiltFactors, kNumberLineWidth);
        }
    }

    void writeLampLines() {
        std::int16_t lamps = record_.LampCount;
        if (lamps <= 0) {
            lamps = 1;
            note("Number of lamps " + std::to_string(record_.LampCount) + " is not above 0: written as 1.");
        }
        double lumens = record_.LumensPerLamp;
        if (lumens <= 0 && lumens != -1) {
            lumens = -1;
            note("Lumens per lamp " + PlainNumber(record_.LumensPerLamp) + " written as -1 (absolute photometry).");
        }
        double multiplier = record_.CandelaMultiplier;
        if (!(multiplier > 0)) {
            multiplier = 1;
            note("Candela multiplier " + PlainNumber(record_.CandelaMultiplier) + " is not above 0: written as 1.");
        }
        double ballast = record_.BallastFactor;
        if (!(ballast > 0)) {
            ballast = 1;
            note("Ballast factor " + PlainNumber(record_.BallastFactor) + " is not above 0: written as 1.");
        }
        if (record_.PhotometricType != 1 && record_.PhotometricType != 2) {
            note("Photometric type " + std::to_string(record_.PhotometricType) +
                 " is written as it is; our reader takes type C and type B only.");
        }
        std::string& text = out_.text;
        text.append(std::to_string(lamps)).append(" ");
        AppendPlainNumber(text, lumens);
        text.append(" ");
        AppendPlainNumber(text, multiplier);
        text.append(" ").append(std::to_string(record_.VertAngleCount));
        text.append(" ").append(std::to_string(record_.HorAngleCount));
        text.append(" ").append(std::to_string(record_.PhotometricType));
        text.append(" ").append(std::to_string(record_.UnitsType));
        for (float dimension : {record_.Width, record_.Length, record_.Height}) {
            text.append(" ");
            AppendPlainNumber(text, dimension);
        }
        text.append(kCrLf);
        AppendPlainNumber(text, ballast);
        text.append(" ").append(rules_.ballastSecond).append(" ");
        AppendPlainNumber(text, record_.InputWatts);
        text.append(kCrLf);
    }

    void writeCandela() {
        bool negative = false;
        std::vector<double> plane;
        for (const auto& values : record_.Candela) {
            if (std::none_of(values.begin(), values.end(), [](double v) { return v < 0; })) {
                AppendNumberLines(out_.text, values, kNumberLineWidth);
                continue;
            }
            plane = values;
            for (double& value : plane) value = std::max(value, 0.0);
            negative = true;
            AppendNumberLines(out_.text, plane, kNumberLineWidth);
        }
        if (negative) note("Negative candela values, which the format does not allow, were written as 0.");
    }

    const PhotometricRecord& record_;
    EditionRules rules_;
    IesEdition edition_;
    WrittenText& out_;
    std::vector<std::string> header_;
    std::vector<std::string> tags_;
};

}  // namespace

IesEdition EditionOf(const PhotometricRecord& record) {
    if (!record.Keywords.empty()) {
        const std::string_view first = record.Keywords.front();
        if (first.find("LM-63-1995") != std::string_view::npos) return IesEdition::Lm63_1995;
        if (first.find("LM-63-2019") != std::string_view::npos) return IesEdition::Lm63_2019;
    }
    return IesEdition::Lm63_2002;
}

WrittenText WriteIesText(const PhotometricRecord& record, IesEdition edition) {
    WrittenText out;
    out.text.reserve(1024 + record.Keywords.size() * 80 + record.Candela.size() * record.VertAngles.size() * 10);
    IesWriting(record, edition, out).run();
    if (!out.ok()) out.text.clear();
    return out;
}

}  // namespace lumibench
