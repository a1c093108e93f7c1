#include "formats/tm33/tm33_conversion.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "formats/candela_scan.h"
#include "formats/ies/ies_reader.h"
#include "formats/ies/ies_messages.h"
#include "formats/reader_errors.h"
#include "formats/tm33/tm33_header_map.h"
#include "formats/tm33/tm33_messages.h"
#include "formats/writer_common.h"

namespace lumibench {
namespace {

namespace text = tm33_text;

constexpr double kMillimetresPerFoot = 304.8;
constexpr double kMillimetresPerMetre = 1000.0;
constexpr std::size_t kMaxAngles = 32767;  // the record's counts are 16-bit

std::string Normalised(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '_' || c == '\t') continue;
        out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return out;
}

bool FitsSingle(double value) { return std::fabs(value) <= std::numeric_limits<float>::max(); }

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string AngleText(double angle) { return PlainNumber(angle); }

class Conversion {
public:
    Conversion(const Tm33Document& document, ReaderMessages& message) : document_(document), message_(message) {}

    std::vector<PhotometricRecord> run() {
        std::vector<PhotometricRecord> records;
        for (const Tm33Emitter& emitter : document_.emitters) {
            PhotometricRecord record;
            convert(emitter, record);
            if (!message_.empty()) return {};
            records.push_back(std::move(record));
        }
        return records;
    }

private:
    void convert(const Tm33Emitter& emitter, PhotometricRecord& record) {
        keywords(emitter, record);
        const Tm33RecordBlock* block = document_.recordBlock ? &*document_.recordBlock : nullptr;
        if (!photometricType(emitter, record, block)) return;
        if (!emitter.metric.empty() && Normalised(emitter.metric) != "LUMINOUS") {
            message_.add(text::NotLuminous(emitter.metric), emitter.dataLine);
            return;
        }
        if (!table(emitter, record)) return;
        if (!anglesFit(record, emitter.dataLine)) return;
        lampData(emitter, record, block);
        if (!message_.empty()) return;
        // As in IES files, only type C data meet at a pole.
        if (ScanMaximumAndPole(record) && record.PhotometricType == 1) message_.add(ies::kPoleNotEqual, emitter.dataLine);
        record.OptionalData = OptionalData(emitter);
    }

    void keywords(const Tm33Emitter& emitter, PhotometricRecord& record) {
        if (const auto& block = document_.recordBlock) {
            record.Keywords = block->keywords;
            record.OtherKeywordText = block->otherKeywordText;
            std::string* fields[] = {&record.TestKeyword,     &record.DateKeyword,     &record.ManufacKeyword,
                                     &record.LumcatKeyword,   &record.LuminaireKeyword, &record.LampcatKeyword,
                                     &record.LampKeyword,     &record.BallastKeyword};
            for (std::size_t i = 0; i < block->keywordFields.size() && i < std::size(fields); ++i) {
                *fields[i] = block->keywordFields[i];
            }
        }
        for (const auto& [element, value] : document_.header) setKeyword(record, Tm33TagOf(element), value);
        if (!emitter.description.empty()) setKeyword(record, std::string(kEmitterDescriptionTag), emitter.description);
        if (!emitter.catalogNumber.empty()) setKeyword(record, std::string(kEmitterCatalogTag), emitter.catalogNumber);
    }

    // A document of ours keeps its keyword lines in its record block; the
    // header still wins where someone changed a value since.
    void setKeyword(PhotometricRecord& record, std::string tag, const std::string& value) {
        std::string* field = IesKeywordField(record, tag);
        if (document_.recordBlock) {
            // Our writers' placeholder stands for a value the record did not have.
            if (field == nullptr && tag != "[TESTLAB]") return;
            if (value == kTm33Placeholder) return;
            const std::vector<HeaderLine> lines = SplitHeaderLines(record.Keywords);
            // Files of the 1995 edition date themselves with [DATE].
            if (tag == "[ISSUEDATE]" && !KeywordValue(lines, tag) && KeywordValue(lines, "[DATE]")) tag = "[DATE]";
            // Documents trim their texts; a keyword's own blanks are no edit.
            if (const auto kept = KeywordValue(lines, tag); kept && Trimmed(*kept) == Trimmed(value)) return;
            for (std::size_t i = lines.size(); i-- > 0;) {
                if (lines[i].tag != tag) continue;
                // The edited value replaces the line and its "[MORE]" continuations.
                std::size_t end = i + 1;
                while (end < lines.size() && lines[end].tag == "[MORE]") ++end;
                record.Keywords.erase(record.Keywords.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                      record.Keywords.begin() + static_cast<std::ptrdiff_t>(end));
                record.Keywords[i] = tag + " " + value;
                if (field) *field = value;
                return;
            }
        }
        record.Keywords.push_back(tag + " " + value);
        if (field) {
            *field = value;
        } else {
            if (!record.OtherKeywordText.empty()) record.OtherKeywordText.append("\r\n");
            record.OtherKeywordText.append(record.Keywords.back());
        }
    }

    bool photometricType(const Tm33Emitter& emitter, PhotometricRecord& record, const Tm33RecordBlock* block) {
        const bool own = !emitter.photometryType.empty();
        const std::string& given = own ? emitter.photometryType : document_.goniometerType;
        record.PhotometricType = PhotometricTypeOf(given);
        if (record.PhotometricType == 0) {
            message_.add(text::UnknownPhotometryType(given),
                         own ? emitter.photometryTypeLine : document_.goniometerTypeLine);
            return false;
        }
        if (block && block->photometricType != 0) record.PhotometricType = block->photometricType;
        return true;
    }

    bool table(const Tm33Emitter& emitter, PhotometricRecord& record) {
        if (emitter.points.empty()) {
            message_.add(text::kNoIntensityData, emitter.dataLine != 0 ? emitter.dataLine : emitter.line);
            return false;
        }
        std::vector<double> horizontal, vertical;
        for (const Tm33Point& point : emitter.points) {
            AddSorted(horizontal, point.horizontal);
            AddSorted(vertical, point.vertical);
        }
        if (horizontal.size() > kMaxAngles || vertical.size() > kMaxAngles) {
            message_.add(text::kTooManyAngles, emitter.dataLine);
            return false;
        }
        if (!countFits(emitter.numberHorizontal, "NumberHorz", horizontal.size(), emitter.countLine) ||
            !countFits(emitter.numberVertical, "NumberVert", vertical.size(), emitter.countLine)) {
            return false;
        }
        const double unset = std::numeric_limits<double>::quiet_NaN();
        record.Candela.assign(horizontal.size(), std::vector<double>(vertical.size(), unset));
        std::size_t h = 0, v = 0;
        for (const Tm33Point& point : emitter.points) {
            h = IndexOf(horizontal, point.horizontal, h);
            v = IndexOf(vertical, point.vertical, v);
            double& cell = record.Candela[h][v];
            if (!std::isnan(cell)) {
                message_.add(text::DuplicatePoint(AngleText(point.horizontal), AngleText(point.vertical)), point.line);
                return false;
            }
            if (point.value < 0) {
                message_.add(text::kNegativeCandela, point.line);
                return false;
            }
            cell = point.value;
        }
        bool positive = false;
        for (std::size_t i = 0; i < horizontal.size(); ++i) {
            for (std::size_t j = 0; j < vertical.size(); ++j) {
                if (std::isnan(record.Candela[i][j])) {
                    message_.add(text::MissingPoint(AngleText(horizontal[i]), AngleText(vertical[j])),
                                 emitter.dataLine);
                    return false;
                }
                positive = positive || record.Candela[i][j] > 0;
            }
        }
        if (!positive) {
            message_.add(text::kAllCandelaZero, emitter.dataLine);
            return false;
        }
        for (const auto* list : {&horizontal, &vertical}) {
            if (!FitsSingle(list->front()) || !FitsSingle(list->back())) {
                message_.add(StandardErrorDescription(ReaderErrorKind::Overflow), emitter.dataLine);
                return false;
            }
        }
        record.HorAngles.assign(horizontal.begin(), horizontal.end());
        record.VertAngles.assign(vertical.begin(), vertical.end());
        closeFullCircle(emitter, record);
        record.HorAngleCount = static_cast<std::int16_t>(record.HorAngles.size());
        record.VertAngleCount = static_cast<std::int16_t>(record.VertAngles.size());
        return true;
    }

    // Keeps `list` sorted and free of repeats. Values come plane by plane, in
    // order, almost always: a new value is then the last, a known one is found.
    static void AddSorted(std::vector<double>& list, double value) {
        if (list.empty() || value > list.back()) {
            list.push_back(value);
            return;
        }
        const auto at = std::lower_bound(list.begin(), list.end(), value);
        if (*at != value) list.insert(at, value);
    }

    static std::size_t IndexOf(const std::vector<double>& list, double value, std::size_t guess) {
        if (guess < list.size() && list[guess] == value) return guess;
        if (guess + 1 < list.size() && list[guess + 1] == value) return guess + 1;
        return static_cast<std::size_t>(std::lower_bound(list.begin(), list.end(), value) - list.begin());
    }

    bool countFits(const std::optional<double>& stated, std::string_view element, std::size_t found, int line) {
        if (!stated || *stated == static_cast<double>(found)) return true;
        message_.add(text::CountMismatch(element, PlainNumber(*stated), found), line);
        return false;
    }

    // Type C data round the whole circle without a 360 plane get one equal to
    // the 0 plane, as the IES model closes the circle; one plane stands for
    // the whole circle and lies at 0.
    void closeFullCircle(const Tm33Emitter& emitter, PhotometricRecord& record) {
        if (record.PhotometricType != 1) return;
        std::vector<float>& h = record.HorAngles;
        if (h.size() == 1) {
            if (Normalised(emitter.symmetry) == "SYMMFULL") h.front() = 0.0f;
            return;
        }
        if (h.front() == 0.0f && h.back() > 180.0f && h.back() < 360.0f) {
            h.push_back(360.0f);
            record.Candela.push_back(record.Candela.front());
        }
    }

    bool anglesFit(const PhotometricRecord& record, int line) {
        const std::vector<float>& h = record.HorAngles;
        const std::vector<float>& v = record.VertAngles;
        std::string_view fault;
        if (record.PhotometricType == 1) {
            if (v.front() != 0.0f && v.front() != 90.0f) {
                fault = text::kFirstVerticalTypeC;
            } else if (v.back() != 90.0f && v.back() != 180.0f) {
                fault = text::kLastVerticalTypeC;
            } else if (h.front() != 0.0f && h.front() != 90.0f && h.front() != 270.0f) {
                fault = text::kFirstHorizontalTypeC;
            } else if (h.back() > 360.0f) {
                fault = text::kLastHorizontalTypeC;
            }
        } else if (v.front() < -90.0f || v.back() > 90.0f) {
            fault = text::kVerticalRangeTypeAB;
        } else if (h.front() < -90.0f || h.back() > 90.0f) {
            fault = text::kHorizontalRangeTypeAB;
        }
        if (fault.empty()) return true;
        message_.add(fault, line);
        return false;
    }

    // A value for a single-precision field; too large a value is the document's fault.
    float single(double value) {
        if (FitsSingle(value)) return static_cast<float>(value);
        if (message_.empty()) message_.add(StandardErrorDescription(ReaderErrorKind::Overflow), line_);
        return 0.0f;
    }

    void lampData(const Tm33Emitter& emitter, PhotometricRecord& record, const Tm33RecordBlock* block) {
        line_ = emitter.line;
        record.LampCount = Whole16(emitter.quantity.value_or(1));
        // Without a word on it, rated lumens make the photometry relative.
        const bool absolute = emitter.absolute.value_or(!emitter.ratedLumens.has_value());
        record.LumensPerLamp = absolute ? -1.0f : single(emitter.ratedLumens.value_or(0));
        record.CandelaMultiplier = single(emitter.multiplier.value_or(1));
        record.InputWatts = single(emitter.inputWatts.value_or(0));
        record.BallastFactor = single(emitter.ballastFactor.value_or(1));
        record.UnitsType = block ? block->unitsType : 2;
        const double perUnit = record.UnitsType == 1 ? kMillimetresPerFoot : kMillimetresPerMetre;
        record.Width = single(document_.width.value_or(0) / perUnit);
        record.Length = single(document_.length.value_or(0) / perUnit);
        record.Height = single(document_.height.value_or(0) / perUnit);
        if (block) {
            record.TiltIncl = block->tiltIncl;
            record.LampGeometry = block->lampGeometry;
            record.TiltAngles = block->tiltAngles;
            record.TiltFactors = block->tiltFactors;
            record.TiltPairCount = static_cast<std::int16_t>(block->tiltAngles.size());
        }
    }

    // The parts without a record field, in the document's own notation.
    std::string OptionalData(const Tm33Emitter& emitter) const {
        const std::pair<const char*, const std::string*> parts[] = {
            {"Luminaire", &document_.luminaireOptional}, {"Gonioradiometer", &document_.goniometerOptional},
            {"Equipment", &document_.equipmentOptional}, {"Emitter", &emitter.optional},
            {"Document", &document_.documentOptional}};
        std::string out;
        for (const auto& [name, part] : parts) {
            if (part->empty()) continue;
            if (document_.notation == Tm33Notation::Xml) {
                out.append("<").append(name).append(">").append(*part).append("</").append(name).append(">");
            } else {
                if (!out.empty()) out.push_back(',');
                out.append("\"").append(name).append("\":").append(*part);
            }
        }
        if (out.empty()) return out;
        return document_.notation == Tm33Notation::Xml ? "<TM33Optional>" + out + "</TM33Optional>"
                                                       : "{\"ATLAOptional\":{" + out + "}}";
    }

    const Tm33Document& document_;
    ReaderMessages& message_;
    int line_ = 0;
};

}  // namespace

std::int16_t PhotometricTypeOf(std::string_view given) {
    std::string type = Normalised(given);
    for (std::string_view prefix : {"CIE", "IES", "TYPE"}) {
        if (type.starts_with(prefix)) type.erase(0, prefix.size());
    }
    if (type.empty() || type == "C") return 1;
    if (type == "B") return 2;
    if (type == "A") return 3;
    return 0;
}

std::vector<PhotometricRecord> ConvertTm33Document(const Tm33Document& document, ReaderMessages& message) {
    return Conversion(document, message).run();
}

}  // namespace lumibench
