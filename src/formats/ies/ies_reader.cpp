#include "formats/ies/ies_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <string_view>

#include "formats/text/field_reader.h"
#include "formats/file_gate.h"
#include "formats/ies/ies_messages.h"
#include "formats/text/line_delimiters.h"
#include "formats/text/text_decoding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumibench {

namespace {

using namespace ies;

// A keyword line's value is cut to this many characters before trimming.
constexpr std::size_t kKeywordValueLimit = 132;
// A value continued by "[MORE]" lines is cut to this many characters.
constexpr std::size_t kJoinedKeywordLimit = 255;

constexpr double kSingleMax = std::numeric_limits<float>::max();

constexpr std::string_view kTiltPrefix = "TILT=";
constexpr std::string_view kMoreTag = "[MORE]";

// Spaces only, as the format's tools trim.
std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The largest of `count` (at least one) values, without NaN; several partial
// maxima keep the comparisons from waiting on each other.
double LargestOf(const double* values, std::size_t count) {
    std::size_t k = 0;
    double largest = values[0];
#if defined(__SSE2__)
    if (count >= 8) {
        __m128d m0 = _mm_loadu_pd(values);
        __m128d m1 = m0;
        __m128d m2 = m0;
        __m128d m3 = m0;
        for (; k + 8 <= count; k += 8) {
            m0 = _mm_max_pd(m0, _mm_loadu_pd(values + k));
            m1 = _mm_max_pd(m1, _mm_loadu_pd(values + k + 2));
            m2 = _mm_max_pd(m2, _mm_loadu_pd(values + k + 4));
            m3 = _mm_max_pd(m3, _mm_loadu_pd(values + k + 6));
        }
        double lanes[2];
        _mm_storeu_pd(lanes, _mm_max_pd(_mm_max_pd(m0, m1), _mm_max_pd(m2, m3)));
        largest = std::max(lanes[0], lanes[1]);
    }
#endif
    for (; k < count; ++k) largest = std::max(largest, values[k]);
    return largest;
}

class IesParser {
public:
    IesParser(std::string_view text, PhotometricRecord& record, ReaderMessages& message)
        : reader_(text), record_(record), message_(message) {}

    void run() {
        readHeader();
        if (record_.TiltIncl == kTrue && !readTiltBlock()) return;
        if (!readLampLine() || !readBallastLine() || !sizeAngleLists()) return;
        if (!readVerticalAngles() || !readHorizontalAngles()) return;
        readCandela();
    }

private:
    void add(std::string_view text, int line) { message_.add(text, line); }

    // Read failures all end in the same message, quoting the last value read.
    bool fail() {
        std::string text(kReadFailureHead);
        text.append(reader_.lastValue());
        text.append(kReadFailureTail);
        const bool atEnd = reader_.lastFailure() == ReadFailure::EndOfText;
        add(text, atEnd ? reader_.line() : reader_.lastLine());
        return false;
    }

    template <class T>
    bool field(T& target) {
        return reader_.readNumber(target) || fail();
    }

    template <class T>
    bool rest(T& target) {
        return reader_.readRestNumber(target) || fail();
    }

    // Reads the last value of a list by rest of line, the others as fields.
    template <class T>
    bool listValue(T& target, bool last) { return last ? rest(target) : field(target); }

    void appendOtherLine(std::string_view line) {
        if (!record_.OtherKeywordText.empty()) record_.OtherKeywordText.append("\r\n");
        record_.OtherKeywordText.append(line);
    }

    void readHeader() {
        std::string previousTag;
        bool continuation = false;
        while (!reader_.atEnd()) {
            const std::string_view line = *reader_.readLine();
            const int lineNumber = reader_.lastLine();
            const std::size_t bracket = line.find(']');
            if (bracket == std::string_view::npos) {
                if (line.starts_with(kTiltPrefix)) {
                    readTiltLine(line.substr(kTiltPrefix.size()), lineNumber);
                    return;
                }
                appendOtherLine(line);
                record_.Keywords.emplace_back(line);
                continue;
            }
            std::string tag(line.substr(0, bracket + 1));
            const std::string_view value =
                TrimSpaces(FirstCharacters(line.substr(bracket + 1), kKeywordValueLimit));
            const bool pipe = value.find('|') != std::string_view::npos;
            if (tag == kMoreTag) {
                tag = previousTag;
                continuation = true;
            }
            if (std::string* keyword = IesKeywordField(record_, tag)) {
                if (continuation) {
                    std::string joined = std::move(*keyword);
                    joined.push_back(' ');
                    joined.append(value);
                    joined.resize(FirstCharacters(joined, kJoinedKeywordLimit).size());
                    *keyword = std::move(joined);
                    continuation = false;
                } else {
                    keyword->assign(value);
                }
                if (pipe) add(tag + std::string(kPipeInKeyword), lineNumber);
            } else {
                appendOtherLine(line);
                continuation = false;
            }
            record_.Keywords.emplace_back(line);
            previousTag = std::move(tag);
        }
        // No TILT line: the first numeric read meets the end of the file and fails.
    }

    void readTiltLine(std::string_view afterPrefix, int lineNumber) {
        if (TrimSpaces(FirstCharacters(afterPrefix, 7)) == "INCLUDE") {
            record_.TiltIncl = kTrue;
        } else if (TrimSpaces(FirstCharacters(afterPrefix, 4)) != "NONE") {
            // Read on as for no tilt.
            add(kExternalTilt, lineNumber);
        }
    }

    bool readTiltBlock() {
        if (!field(record_.LampGeometry) || !field(record_.TiltPairCount)) return false;
        if (record_.TiltPairCount < 0) return fail();
        const auto count = static_cast<std::size_t>(record_.TiltPairCount);
        record_.TiltAngles.assign(count, 0.0F);
        record_.TiltFactors.assign(count, 0.0F);
        // Tilt values never become the quoted last value.
        const std::string_view keep = reader_.lastValue();
        for (auto* list : {&record_.TiltAngles, &record_.TiltFactors}) {
            for (float& value : *list) {
                if (!reader_.readNumber(value)) {
                    reader_.setLastValue(keep);
                    return fail();
                }
            }
        }
        reader_.setLastValue(keep);
        return true;
    }

    bool readLampLine() {
        if (!field(record_.LampCount)) return false;
        if (record_.LampCount <= 0) add(kLampCount, reader_.lastLine());
        if (!field(record_.LumensPerLamp)) return false;
        if (record_.LumensPerLamp <= 0 && record_.LumensPerLamp != -1) add(kLumens, reader_.lastLine());
        if (!field(record_.CandelaMultiplier)) return false;
        if (record_.CandelaMultiplier <= 0) add(kMultiplier, reader_.lastLine());
        if (!field(record_.VertAngleCount) || !field(record_.HorAngleCount)) return false;
        if (!field(record_.PhotometricType)) return false;
        if (record_.PhotometricType != 1 && record_.PhotometricType != 2) {
            add(kPhotometricType, reader_.lastLine());
        }
        return field(record_.UnitsType) && field(record_.Width) && field(record_.Length) &&
               rest(record_.Height);
    }

    bool readBallastLine() {
        if (!field(record_.BallastFactor)) return false;
        if (record_.BallastFactor <= 0) add(kBallast, reader_.lastLine());
        float dropped = 0;
        return field(dropped) && rest(record_.InputWatts);
    }

    bool sizeAngleLists() {
        if (record_.VertAngleCount < 0 || record_.HorAngleCount < 0) return fail();
        record_.VertAngles.assign(static_cast<std::size_t>(record_.VertAngleCount), 0.0F);
        record_.HorAngles.assign(static_cast<std::size_t>(record_.HorAngleCount), 0.0F);
        // Rows are added as they are read, so counts that the file cannot back
        // never allocate their full matrix.
        record_.Candela.clear();
        record_.Candela.reserve(static_cast<std::size_t>(record_.HorAngleCount));
        return true;
    }

    bool readVerticalAngles() {
        std::vector<float>& angles = record_.VertAngles;
        int firstLine = 0;
        for (std::size_t i = 0; i < angles.size(); ++i) {
            if (reader_.atEnd()) {
                add(kEndInVerticalAngles, reader_.line());
                return false;
            }
            if (!listValue(angles[i], i + 1 == angles.size())) return false;
            if (i == 0) firstLine = reader_.lastLine();
            if (i > 0 && !(angles[i] > angles[i - 1])) add(kVerticalNotAscending, reader_.lastLine());
        }
        const int lastLine = reader_.lastLine();
        const std::int16_t type = record_.PhotometricType;
        if (type != 1 && type != 2) return true;
        // A check of the first or last angle needs one to exist.
        if (angles.empty()) return fail();
        const float first = angles.front();
        const float last = angles.back();
        if (type == 1) {
            pole_ = first != 90 ? 0 : angles.size() - 1;
            if (first != 0 && first != 90) add(kTypeCFirstVertical, firstLine);
            if (last != 90 && last != 180) add(kTypeCLastVertical, lastLine);
        } else {
            if (first != 0 && first != -90) add(kTypeBFirstVertical, firstLine);
            if (last != 90) add(kTypeBLastVertical, lastLine);
        }
        return true;
    }

    bool readHorizontalAngles() {
        std::vector<float>& angles = record_.HorAngles;
        int firstLine = 0;
        for (std::size_t j = 0; j < angles.size(); ++j) {
            if (reader_.atEnd()) {
                add(kEndInHorizontalAngles, reader_.line());
                return false;
            }
            if (!listValue(angles[j], j + 1 == angles.size())) return false;
            if (j == 0) firstLine = reader_.lastLine();
            if (j > 0 && !(angles[j] > angles[j - 1])) {
                add(kHorizontalNotAscending, reader_.lastLine());
            }
        }
        const int lastLine = reader_.lastLine();
        const std::int16_t type = record_.PhotometricType;
        if (type != 1 && type != 2) return true;
        if (angles.empty()) return fail();
        const float first = angles.front();
        const float last = angles.back();
        if (type == 1) {
            if (first != 0 && first != 90) add(kTypeCFirstHorizontal, firstLine);
            if (first == 90 && last != 270) add(kTypeCLastHorizontalFrom90, lastLine);
            if (first == 0 && last != 0 && last != 90 && last != 180 && last != 360) {
                add(kTypeCLastHorizontalFrom0, lastLine);
            }
        } else if (first != 0 && first != -90) {
            add(kTypeBFirstHorizontal, firstLine);
        }
        return true;
    }

    void readCandela() {
        const std::size_t vertCount = record_.VertAngles.size();
        const std::size_t horCount = record_.HorAngles.size();
        const bool typeC = record_.PhotometricType == 1;
        const double multiplier = std::fabs(static_cast<double>(record_.CandelaMultiplier));
        // Plain values up to this pass every check below but the maximum and the pole.
        const double plainLimit = multiplier > 1 ? kSingleMax / multiplier : kSingleMax;
        float poleReference = 0;
        int poleLine = 0;
        for (std::size_t j = 0; j < horCount; ++j) {
            std::vector<double>& row = record_.Candela.emplace_back(vertCount, 0.0);
            for (std::size_t i = 0; i < vertCount;) {
                // Runs of plain values are read at once; the row's last value
                // (a rest of line), the pole value (whose line a message may
                // name) and anything unusual are read one by one with every
                // check and message.
                const std::size_t runEnd = typeC && pole_ > i ? pole_ : vertCount - 1;
                const std::size_t run =
                    i < runEnd && !(typeC && i == pole_) ? reader_.readPlainNumbers(row.data() + i, runEnd - i, plainLimit) : 0;
                const std::size_t stop = i + run;
                if (run == 0) {
                    if (reader_.atEnd()) {
                        add(kEndInCandela, reader_.line());
                        return;
                    }
                    double value = 0;
                    if (!listValue(value, i + 1 == vertCount)) return;
                    if (value < 0) {
                        add(kNegativeCandela, reader_.lastLine());
                        return;
                    }
                    // Intensities travel to tools in single precision, so a value
                    // (or its product with the multiplier) beyond it is out of
                    // range, as a count beyond 16 bits is.
                    if (!(value <= kSingleMax) || !(value * multiplier <= kSingleMax)) {
                        fail();
                        return;
                    }
                    row[i] = value;
                }
                const std::size_t last = std::max(stop, i + 1);
                // The first place of the run's largest value is where a scan
                // in order would last raise the maximum.
                const double largest = LargestOf(row.data() + i, last - i);
                if (largest > record_.MaxCandela) {
                    const std::size_t at = static_cast<std::size_t>(std::find(row.begin() + i, row.begin() + last, largest) - row.begin());
                    record_.MaxCandela = largest;
                    record_.MaxCandelaVertAngle = record_.VertAngles[at];
                    record_.MaxCandelaHorAngle = record_.HorAngles[j];
                }
                if (typeC && pole_ >= i && pole_ < last) {
                    const auto single = static_cast<float>(row[pole_]);
                    if (j == 0) {
                        poleReference = single;
                    } else if (single != poleReference && poleLine == 0) {
                        poleLine = reader_.lastLine();
                    }
                }
                i = last;
            }
        }
        if (poleLine != 0) add(kPoleNotEqual, poleLine);
    }

    FieldReader reader_;
    PhotometricRecord& record_;
    ReaderMessages& message_;
    std::size_t pole_ = 0;  // index of the pole row among the vertical angles
};

}  // namespace

void ReadIesText(std::string_view text, PhotometricRecord& record, ReaderMessages& message) {
    IesParser(text, record, message).run();
}

void LoadIesFile(std::string& path, ReaderMessages& message, bool noRepair, ReaderContext& context) {
    message.clear();
    try {
        context.work.assign(1, PhotometricRecord{});
        PhotometricRecord& record = context.work.front();

        if (const std::string gate = RefusalBeforeReading(path); !gate.empty()) {
            message.add(gate, 0);
            return;
        }
        FileBytes bytes;
        std::string refusal;
        int line = 0;
        switch (TakeInFile(path, bytes, refusal, line, noRepair, context.messages, context.userDataFolder)) {
            case Intake::Exponential: message.add(kExponentialData, line); return;
            case Intake::Refused: message.add(refusal, line); return;
            case Intake::Read: break;
        }
        record.Filename = path;
        record.TiltIncl = kFalse;
        std::string converted;
        IesParser(DecodedView(bytes.view(), converted), record, message).run();
    } catch (const std::bad_alloc&) {
        message.add("Out of memory", 0);
    } catch (const std::exception& failure) {
        message.add(failure.what(), 0);
    }
}

std::string* IesKeywordField(PhotometricRecord& record, std::string_view tag) {
    if (tag == "[TEST]") return &record.TestKeyword;
    if (tag == "[DATE]" || tag == "[ISSUEDATE]") return &record.DateKeyword;
    if (tag == "[MANUFAC]") return &record.ManufacKeyword;
    if (tag == "[LUMCAT]") return &record.LumcatKeyword;
    if (tag == "[LUMINAIRE]") return &record.LuminaireKeyword;
    if (tag == "[LAMPCAT]") return &record.LampcatKeyword;
    if (tag == "[LAMP]") return &record.LampKeyword;
    if (tag == "[BALLAST]") return &record.BallastKeyword;
    return nullptr;
}

}  // namespace lumibench
