#include "formats/eulumdat/eulumdat_reader.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "formats/candela_scan.h"
#include "formats/conversion_input.h"
#include "formats/conversion_texts.h"
#include "formats/eulumdat/eulumdat_conversion.h"
#include "formats/reader_errors.h"

namespace lumibench {
namespace {

namespace text = conversion_text;

constexpr const char* kFormatMarker = "EULUMDAT";
constexpr int kDirectRatioCount = 10;
// The six lines of a lamp set, each a keyword "[_EULUM_LAMP_<k><suffix>".
constexpr const char* kLampSetSuffixes[6] = {"_NUM] ", "_TYPE] ", "_FLUX] ",
                                             "_COLOR] ", "_CRG] ", "_WATTS] "};

class EulumdatReading {
public:
    EulumdatReading(std::string_view fileText, PhotometricRecord& record, ReaderMessages& message)
        : input_(fileText), record_(record), message_(message) {}

    void run() {
        record_.Keywords.push_back(kFormatMarker);
        readHeader();
        readLampSets();
        keyword("[LAMP] ", record_.LampKeyword);
        record_.BallastFactor = 1.0f;
        record_.TiltIncl = kFalse;
        record_.PhotometricType = 1;
        for (int i = 0; i < kDirectRatioCount; ++i) {
            keyword("[_EULUM_DR_" + std::to_string(i) + "] ",
                    KeywordNumberText(input_.field<float>()));
        }
        if (!readAngles()) return;
        if (!readIntensities()) return;
        if (!message_.empty()) return;  // conversion runs only for a file without problems

        ApplySymmetry(isym_, cAngles_, planes_, record_);
        if (ScanMaximumAndPole(record_)) message_.add(text::kPoleNotEqual);
    }

    // Where a read failure points: the end of the file, or the line of the failed read.
    int failureLine() const { return input_.atEnd() ? input_.line() : input_.lastLine(); }

private:
    // Keyword lines with a tag starting "[_" also go to OtherKeywordText.
    void keyword(const std::string& tag, std::string_view value) {
        std::string line = tag;
        line.append(value);
        if (tag.starts_with("[_")) {
            if (!record_.OtherKeywordText.empty()) record_.OtherKeywordText.append("\r\n");
            record_.OtherKeywordText.append(line);
        }
        record_.Keywords.push_back(std::move(line));
    }

    std::string_view keywordLine(const char* tag) {
        const std::string_view line = input_.wholeLine();
        keyword(tag, line);
        return line;
    }

    float millimetres(std::string_view line) {
        return SingleOrOverflow(input_.numberLine<double>(line) / 1000.0);
    }

    void readHeader() {
        record_.UnitsType = 2;
        record_.ManufacKeyword = keywordLine("[MANUFAC] ");
        keywordLine("[_EULUMDAT_ITYP] ");
        isym_ = input_.numberLine<std::int16_t>(input_.wholeLine());
        if (isym_ < 0 || isym_ > 4) message_.add(text::kSymmetryOutOfRange, input_.lastLine());
        mc_ = input_.numberLine<std::int16_t>(input_.wholeLine());
        record_.HorAngleCount = mc_;
        keywordLine("[_EULUMDAT_HDIST] ");
        ng_ = input_.numberLine<std::int16_t>(input_.wholeLine());
        record_.VertAngleCount = ng_;
        keywordLine("[_EULUMD_VDIST] ");
        record_.TestKeyword = keywordLine("[TEST] ");
        record_.LuminaireKeyword = keywordLine("[LUMINAIRE] ");
        record_.LumcatKeyword = keywordLine("[LUMCAT] ");
        keywordLine("[_EULUM_FILENAME] ");
        record_.DateKeyword = keywordLine("[ISSUEDATE] ");
        // The luminaire's own size, replaced below by its luminous area.
        record_.Length = millimetres(input_.wholeLine());
        record_.Width = millimetres(input_.wholeLine());
        record_.Height = millimetres(input_.wholeLine());
        record_.Length = millimetres(keywordLine("[_EULUM_AREALENGTH] "));
        record_.Width = millimetres(keywordLine("[_EULUM_AREAWIDTH] "));
        MarkRoundLuminousArea(record_);
        record_.Height = millimetres(keywordLine("[_EULUM_C0_LUM] "));
        keywordLine("[_EULUM_C90_LUM] ");
        keywordLine("[_EULUM_C180_LUM] ");
        keywordLine("[_EULUM_C270_LUM] ");
        keywordLine("[_EULUM_DOWN_FLUX] ");
        keywordLine("[_EULUM_EFFICIENCY] ");
        record_.CandelaMultiplier = input_.numberLine<float>(keywordLine("[_EULUM_CONV] "));
        keywordLine("[_EULUM_TILT] ");
    }

    void readLampSets() {
        const std::int32_t sets = input_.field<std::int32_t>();
        for (std::int32_t k = 1; k <= sets; ++k) {
            std::string tags[6];
            for (int i = 0; i < 6; ++i) {
                tags[i] = "[_EULUM_LAMP_" + std::to_string(k) + kLampSetSuffixes[i];
            }
            const std::string_view count = keywordLine(tags[0].c_str());
            if (k == 1) record_.LampCount = input_.numberLine<std::int16_t>(count);
            const std::string_view type = keywordLine(tags[1].c_str());
            if (k == 1) record_.LampKeyword = std::string(type);
            const std::string_view flux = keywordLine(tags[2].c_str());
            if (k == 1) {
                const float setFlux = input_.numberLine<float>(flux);
                if (setFlux < 0) message_.add(text::kNegativeLampFlux, input_.lastLine());
                record_.LumensPerLamp = LumensPerLampOfSet(record_.LampCount, setFlux);
            }
            keywordLine(tags[3].c_str());
            keywordLine(tags[4].c_str());
            const std::string_view watts = keywordLine(tags[5].c_str());
            if (k == 1) record_.InputWatts = input_.numberLine<float>(watts);
        }
    }

    // C-plane and gamma angles; false when the file ended among them.
    bool readAngles() {
        for (std::int16_t i = 0; i < mc_; ++i) {
            const std::optional<float> angle = input_.atEnd() ? std::nullopt : input_.listField<float>();
            if (!angle) {
                message_.add(text::kEndOfFileHorizontal, input_.line());
                return false;
            }
            if (*angle < 0) message_.add(text::kNegativeCPlane, input_.lastLine());
            if (!cAngles_.empty() && !(*angle > cAngles_.back())) {
                message_.add(text::kCPlanesNotAscending, input_.lastLine());
            }
            cAngles_.push_back(*angle);
        }
        keptPlanes_ = KeptPlaneCount(isym_, mc_);
        // A single plane stands for the whole circle and is laid at C0.
        if (isym_ == 1) {
            if (cAngles_.empty()) throw ReaderError(ReaderErrorKind::SubscriptOutOfRange);
            cAngles_.front() = 0.0f;
        }

        for (std::int16_t j = 0; j < ng_; ++j) {
            const std::optional<float> angle = input_.atEnd() ? std::nullopt : input_.listField<float>();
            if (!angle) {
                message_.add(text::kEndOfFileVertical, input_.line());
                return false;
            }
            record_.VertAngles.push_back(*angle);
        }
        const float last = record_.VertAngles.empty() ? 0.0f : record_.VertAngles.back();
        if (last != 90.0f && last != 180.0f) {
            message_.add(text::kLastVerticalTypeC, input_.lastLine());
        }
        return true;
    }

    // Intensities in cd/klm, scaled to candela; false when reading ended early.
    bool readIntensities() {
        const float factor = FluxFactor(record_);
        bool positiveSeen = false;
        // Plain values up to this cannot overflow once scaled; they are read
        // in runs, and anything else one by one with its checks.
        const double limit = std::fabs(factor) > 1e-30f ? std::numeric_limits<float>::max() / std::fabs(factor)
                                                        : std::numeric_limits<double>::max();
        std::vector<double> run(static_cast<std::size_t>(ng_ > 0 ? ng_ : 0));
        for (std::int16_t i = 0; i < keptPlanes_; ++i) {
            planes_.emplace_back();
            planes_.back().reserve(static_cast<std::size_t>(ng_ > 0 ? ng_ : 0));
            for (std::int16_t j = 0; j < ng_;) {
                const std::size_t got = input_.plainRun(run.data(), static_cast<std::size_t>(ng_ - j), limit);
                for (std::size_t k = 0; k < got; ++k) {
                    positiveSeen = positiveSeen || run[k] > 0;
                    planes_.back().push_back(static_cast<float>(factor * run[k]));
                }
                j = static_cast<std::int16_t>(j + got);
                if (j == ng_) break;
                const std::optional<double> value =
                    input_.atEnd() ? std::nullopt : input_.listField<double>();
                if (!value) {
                    message_.add(text::kEndOfFileCandela, input_.line());
                    return false;
                }
                if (*value < 0) {
                    message_.add(text::kNegativeCandela, input_.lastLine());
                    return false;
                }
                if (*value > 0) positiveSeen = true;
                planes_.back().push_back(SingleOrOverflow(factor * *value));
                ++j;
            }
        }
        if (!positiveSeen) {
            message_.add(text::kAllCandelaZero);
        } else if (factor == 0.0f) {
            message_.add(text::kNoLampFlux);
        }
        return true;
    }

    ConversionInput input_;
    PhotometricRecord& record_;
    ReaderMessages& message_;
    std::int16_t isym_ = 0;
    std::int16_t mc_ = 0;
    std::int16_t ng_ = 0;
    std::int16_t keptPlanes_ = 0;
    std::vector<float> cAngles_;
    EulumdatPlanes planes_;
};

}  // namespace

void ReadEulumdatText(std::string_view text, PhotometricRecord& record, ReaderMessages& message) {
    EulumdatReading reading(text, record, message);
    try {
        reading.run();
    } catch (const ReaderError& error) {
        message.add(error.description(), reading.failureLine());
    }
}

void LoadEulumdatFile(std::string& path, ReaderMessages& message, bool noRepair,
                      ReaderContext& context) {
    context.work.assign(1, PhotometricRecord{});
    message.clear();
    PhotometricRecord& record = context.work.front();
    const std::optional<std::string> fileText =
        OpenConversionFile(path, message, noRepair, context, record);
    if (!fileText) return;
    EulumdatReading reading(*fileText, record, message);
    try {
        reading.run();
    } catch (const ReaderError& error) {
        message.add(error.description(), reading.failureLine());
    }
}

}  // namespace lumibench
