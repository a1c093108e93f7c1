#include "formats/tm14/tm14_reader.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "formats/candela_scan.h"
#include "formats/conversion_input.h"
#include "formats/conversion_texts.h"
#include "formats/reader_errors.h"
#include "formats/tm14/tm14_completion.h"
#include "formats/tm14/tm14_reorientation.h"

namespace lumibench {
namespace {

namespace text = conversion_text;

constexpr const char* kFormatIdentifier = "CIBSE/1";
constexpr std::int16_t kTypeC = 1;
constexpr std::int16_t kTypeB = 2;
// Whether `angle` may follow `previous` in the horizontal list: ascending, or
// for type C data starting at 270 ascending once round the circle from there.
bool FollowsInTurn(bool roundFrom270, float previous, float angle) {
    const auto turned = [&](float a) { return roundFrom270 && a < 270.0f ? a + 360.0f : a; };
    return turned(angle) > turned(previous);
}

constexpr const char* kClosingTags[4] = {"[_TM14_GSC] ", "[_TM14_LUMBASE] ", "[_TM14_LUMSIDE] ",
                                         "[_TM14_LUMEND] "};

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The per-user data folder, made when missing; the program's folder when it cannot be.
std::filesystem::path TemporaryDatabasePath(const std::filesystem::path& userDataFolder) {
    std::error_code error;
    if (!userDataFolder.empty()) {
        std::filesystem::create_directories(userDataFolder, error);
        if (!error && std::filesystem::is_directory(userDataFolder, error)) {
            return userDataFolder / kTm14TemporaryFile;
        }
    }
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::current_path() : program.parent_path()) / kTm14TemporaryFile;
}

class Tm14Reading {
public:
    Tm14Reading(std::string_view fileText, PhotometricRecord& record, ReaderMessages& message)
        : input_(fileText), record_(record), message_(message) {}

    // Reads and checks the file; true when the completion steps may run.
    bool run() {
        record_.Keywords.push_back(kFormatIdentifier);
        if (TrimBlanks(input_.wholeLine()) != kFormatIdentifier) {
            message_.add(text::kNotTm14, input_.lastLine());
            return false;
        }
        readHeader();
        if (!readCounts()) return false;
        if (!readVerticalAngles()) return false;
        if (!readHorizontalAngles()) return false;
        if (!readIntensities()) return false;
        for (const char* tag : kClosingTags) {
            keyword(tag, KeywordNumberText(input_.field<float>()));
        }
        return message_.empty();
    }

    int failureLine() const { return input_.atEnd() ? input_.line() : input_.lastLine(); }

private:
    void keyword(const char* tag, std::string_view value) {
        std::string line = tag;
        line.append(value);
        record_.Keywords.push_back(std::move(line));
    }

    void appendOtherText(std::string_view line) {
        record_.OtherKeywordText.append("\r\n");
        record_.OtherKeywordText.append(line);
    }

    void readHeader() {
        record_.TestKeyword = std::string(input_.wholeLine());
        keyword("[TEST] ", record_.TestKeyword);
        record_.LumcatKeyword = std::string(input_.wholeLine());
        keyword("[LUMCAT] ", record_.LumcatKeyword);
        record_.LuminaireKeyword = std::string(input_.wholeLine());
        keyword("[LUMINAIRE] ", record_.LuminaireKeyword);
        record_.LampKeyword = std::string(input_.wholeLine());
        keyword("[LAMP] ", record_.LampKeyword);
        record_.OtherKeywordText = std::string(input_.wholeLine());
        keyword("[MORE] ", record_.OtherKeywordText);
        for (int item = 7; item <= 8; ++item) {
            const std::string_view other = input_.wholeLine();
            if (other.empty()) continue;
            keyword("[OTHER] ", other);
            appendOtherText(other);
        }
        record_.UnitsType = 2;
        record_.TiltIncl = kFalse;

        record_.LampCount = input_.field<std::int16_t>();
        if (record_.LampCount < 1) record_.LampCount = 1;
        record_.LumensPerLamp = 1000;
        // The values carry the lamp count already (below); a multiplier of the
        // count as well would count every lamp twice for any consumer that
        // applies it, as the record model means it to be applied.
        record_.CandelaMultiplier = 1;
        record_.PhotometricType = input_.field<std::int16_t>();
        if (record_.PhotometricType != kTypeC && record_.PhotometricType != kTypeB) {
            message_.add(text::kPhotometricTypeTm14, input_.lastLine());
        }
        record_.Length = input_.field<float>();
        record_.Width = input_.field<float>();
        record_.Height = input_.field<float>();
        record_.BallastFactor = input_.field<float>();
        record_.InputWatts = input_.field<float>();
        for (const char* tag : {"[_TM14_VA] ", "[_TM14_DESIGNANGLE] "}) {
            keyword(tag, KeywordNumberText(input_.field<float>()));
            appendOtherText(record_.Keywords.back());
        }
    }

    bool readCounts() {
        record_.VertAngleCount = input_.field<std::int16_t>();
        if (record_.VertAngleCount <= 0) {
            message_.add(text::kVertCountNotPositive, input_.lastLine());
            return false;
        }
        record_.HorAngleCount = input_.field<std::int16_t>();
        if (record_.HorAngleCount <= 0) {
            message_.add(text::kHorCountNotPositive, input_.lastLine());
            return false;
        }
        return true;
    }

    bool readVerticalAngles() {
        auto& angles = record_.VertAngles;
        int firstLine = 0;
        for (std::int16_t j = 0; j < record_.VertAngleCount; ++j) {
            const std::optional<float> angle =
                input_.atEnd() ? std::nullopt : input_.listField<float>();
            if (!angle) {
                message_.add(text::kEndOfFileVertical, input_.line());
                return false;
            }
            if (j == 0) firstLine = input_.lastLine();
            if (j > 0 && !(*angle > angles.back())) {
                message_.add(text::kVerticalNotAscending, input_.lastLine());
            }
            angles.push_back(*angle);
        }
        const float first = angles.front();
        const float last = angles.back();
        if (record_.PhotometricType == kTypeC) {
            if (first != 0.0f && first != 90.0f) message_.add(text::kFirstVerticalTypeC, firstLine);
            if (last != 90.0f && last != 180.0f) {
                message_.add(text::kLastVerticalTypeC, input_.lastLine());
            }
        } else if (record_.PhotometricType == kTypeB) {
            if (first < -90.0f) message_.add(text::kFirstVerticalTypeB, firstLine);
            if (last > 90.0f) message_.add(text::kLastVerticalTypeB, input_.lastLine());
        }
        return true;
    }

    bool readHorizontalAngles() {
        auto& angles = record_.HorAngles;
        int firstLine = 0;
        for (std::int16_t i = 0; i < record_.HorAngleCount; ++i) {
            const std::optional<float> angle =
                input_.atEnd() ? std::nullopt : input_.listField<float>();
            if (!angle) {
                message_.add(text::kEndOfFileHorizontal, input_.line());
                return false;
            }
            if (i == 0) firstLine = input_.lastLine();
            if (i > 0 && !FollowsInTurn(record_.PhotometricType == kTypeC && angles.front() == 270.0f,
                                        angles.back(), *angle)) {
                message_.add(text::kHorizontalNotAscending, input_.lastLine());
            }
            angles.push_back(*angle);
        }
        const float first = angles.front();
        const float last = angles.back();
        if (record_.PhotometricType == kTypeC) {
            if (first != 0.0f && first != 90.0f && first != 270.0f) {
                message_.add(text::kFirstHorizontalTypeC, firstLine);
            }
            if (first == 90.0f && last != 270.0f) {
                message_.add(text::kLastHorizontalAfter90, input_.lastLine());
            }
        } else if (record_.PhotometricType == kTypeB) {
            if (first < -90.0f) message_.add(text::kFirstHorizontalTypeB, firstLine);
            if (last > 90.0f) message_.add(text::kLastHorizontalTypeB, input_.lastLine());
        }
        return true;
    }

    bool readIntensities() {
        const double multiplier = record_.LampCount;
        const std::size_t vertical = static_cast<std::size_t>(record_.VertAngleCount);
        bool positiveSeen = false;
        for (std::int16_t i = 0; i < record_.HorAngleCount; ++i) {
            // Planes are made as the values arrive, so a count the file does not
            // back with data costs no memory.
            record_.Candela.emplace_back();
            record_.Candela.back().reserve(vertical);
            for (std::size_t j = 0; j < vertical; ++j) {
                const std::optional<double> value =
                    input_.atEnd() ? std::nullopt : input_.listField<double>();
                if (!value) {
                    message_.add(text::kEndOfFileCandela, input_.line());
                    return false;
                }
                if (*value > 0) positiveSeen = true;
                // Scaled values must still fit the single precision the pole check
                // and the reorientation table work in.
                const double scaled = multiplier * *value;
                SingleOrOverflow(scaled);
                record_.Candela.back().push_back(scaled);
            }
        }
        // The maximum names the angles as read, before any completion moves them.
        const bool poleUnequal = ScanMaximumAndPole(record_);
        if (record_.PhotometricType == kTypeC && poleUnequal) message_.add(text::kPoleNotEqual);
        if (!positiveSeen) message_.add(text::kAllCandelaZero);
        return true;
    }

    ConversionInput input_;
    PhotometricRecord& record_;
    ReaderMessages& message_;
};

}  // namespace

void ReadTm14Text(std::string_view text, PhotometricRecord& record, ReaderMessages& message) {
    Tm14Reading reading(text, record, message);
    try {
        reading.run();
    } catch (const ReaderError& error) {
        message.add(error.description(), reading.failureLine());
    }
}

void LoadTm14File(std::string& path, ReaderMessages& message, bool noRepair,
                  ReaderContext& context) {
    context.work.assign(1, PhotometricRecord{});
    message.clear();
    PhotometricRecord& record = context.work.front();
    record.MaxCandela = 0;
    const std::optional<std::string> fileText =
        OpenConversionFile(path, message, noRepair, context, record);
    if (!fileText) return;
    Tm14Reading reading(*fileText, record, message);
    try {
        if (!reading.run()) return;
    } catch (const ReaderError& error) {
        message.add(error.description(), reading.failureLine());
        return;
    }
    try {
        const Tm14Completion plan = PlanTm14Completion(record);
        CompleteTm14Record(record, plan,
                           plan.reorient ? TemporaryDatabasePath(context.userDataFolder)
                                         : std::filesystem::path());
    } catch (const ReaderError& error) {
        message.add(error.description());
    }
}

}  // namespace lumibench
