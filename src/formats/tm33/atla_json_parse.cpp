#include "formats/tm33/atla_json_parse.h"

#include <nlohmann/json.hpp>

#include <cctype>

#include "formats/text/field_reader.h"
#include "formats/tm33/tm33_messages.h"

namespace lumibench {
namespace {

namespace text = tm33_text;
// Members in document order, so that keyword lines follow the document.
using Json = nlohmann::ordered_json;

constexpr std::string_view kRecordBlockKey = "lumibenchRecord";
constexpr int kMaxDepth = 64;

// JSON keeps no positions: a fault points at the line of the `nth` (0-based)
// occurrence of its key, which for a document of one emitter is exact.
int LineOfKey(std::string_view source, std::string_view key, std::size_t nth) {
    const std::string quoted = "\"" + std::string(key) + "\"";
    std::size_t at = source.find(quoted);
    for (std::size_t i = 0; i < nth && at != std::string_view::npos; ++i) at = source.find(quoted, at + 1);
    return at == std::string_view::npos ? 0 : PhysicalLineAt(source, at);
}

std::string ElementName(std::string key) {
    if (!key.empty()) key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
    return key;
}

std::string ScalarText(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
    if (value.is_number()) return value.dump();
    return {};
}

class JsonReading {
public:
    JsonReading(std::string_view source, Tm33Document& document, ReaderMessages& message)
        : source_(source), document_(document), message_(message) {}

    bool run(const Json& root) {
        Json documentRest = Json::object();
        for (const auto& [key, value] : root.items()) {
            if (key == "header" && value.is_object()) {
                for (const auto& [name, item] : value.items()) {
                    if (item.is_array()) {
                        for (const Json& one : item) document_.header.emplace_back(ElementName(name), ScalarText(one));
                    } else if (!item.is_object()) {
                        document_.header.emplace_back(ElementName(name), ScalarText(item));
                    }
                }
            } else if (key == "luminaire" && value.is_object()) {
                readLuminaire(value);
            } else if (key == "equipment" && value.is_object()) {
                readEquipment(value);
            } else if (key == "emitters" && value.is_array()) {
                for (const Json& emitter : value) {
                    readEmitter(emitter);
                    if (!message_.empty()) return false;
                }
            } else if (key == kRecordBlockKey && value.is_object()) {
                readRecordBlock(value);
            } else if (key != "version") {
                documentRest[key] = value;
            }
            if (!message_.empty()) return false;
        }
        if (!documentRest.empty()) document_.documentOptional = documentRest.dump();
        if (document_.emitters.empty()) {
            message_.add(text::kNoEmitter, 1);
            return false;
        }
        return true;
    }

private:
    std::optional<double> number(const Json& value, std::string_view key, std::size_t nth) {
        if (value.is_number()) return value.get<double>();
        const std::string shown = value.is_string() ? value.get<std::string>() : value.dump();
        if (value.is_string()) {
            if (const std::optional<double> parsed = ParseDouble(shown)) return parsed;
        }
        message_.add(text::NotNumber(key, shown), LineOfKey(source_, key, nth));
        return std::nullopt;
    }

    void readLuminaire(const Json& luminaire) {
        Json rest = Json::object();
        for (const auto& [key, value] : luminaire.items()) {
            if (key == "dimensions" && value.is_object()) {
                if (value.contains("length")) document_.length = number(value["length"], "length", 0);
                if (value.contains("width")) document_.width = number(value["width"], "width", 0);
                if (value.contains("height")) document_.height = number(value["height"], "height", 0);
            } else if (key != "numEmitters" && key != "numEmitter") {
                rest[key] = value;
            }
        }
        if (!rest.empty()) document_.luminaireOptional = rest.dump();
    }

    void readEquipment(const Json& equipment) {
        Json rest = Json::object();
        for (const auto& [key, value] : equipment.items()) {
            if ((key == "goniometer" || key == "gonioradiometer") && value.is_object()) {
                Json gonio = Json::object();
                for (const auto& [name, item] : value.items()) {
                    if (name == "type" || name == "goniometerType") {
                        document_.goniometerType = ScalarText(item);
                        document_.goniometerTypeLine = LineOfKey(source_, name, 0);
                    } else {
                        gonio[name] = item;
                    }
                }
                if (!gonio.empty()) document_.goniometerOptional = gonio.dump();
            } else {
                rest[key] = value;
            }
        }
        if (!rest.empty()) document_.equipmentOptional = rest.dump();
    }

    void readEmitter(const Json& node) {
        const std::size_t index = document_.emitters.size();
        Tm33Emitter& emitter = document_.emitters.emplace_back();
        emitter.line = LineOfKey(source_, "intensityDistribution", index);
        if (!node.is_object()) return;
        Json rest = Json::object();
        for (const auto& [key, value] : node.items()) {
            if (key == "description") {
                emitter.description = ScalarText(value);
            } else if (key == "catalogNumber") {
                emitter.catalogNumber = ScalarText(value);
            } else if (key == "quantity") {
                emitter.quantity = number(value, key, index);
            } else if (key == "ratedLumens") {
                emitter.ratedLumens = number(value, key, index);
            } else if (key == "inputWatts" || key == "inputWattage") {
                emitter.inputWatts = number(value, key, index);
            } else if (key == "ballastFactor") {
                emitter.ballastFactor = number(value, key, index);
            } else if ((key == "intensityDistribution" || key == "luminousData") && value.is_object()) {
                emitter.dataLine = LineOfKey(source_, key, index);
                readIntensity(value, emitter, index);
            } else {
                rest[key] = value;
            }
            if (!message_.empty()) return;
        }
        if (!rest.empty()) emitter.optional = rest.dump();
    }

    std::vector<double> numbers(const Json& list, std::string_view key, std::size_t index) {
        std::vector<double> out;
        if (!list.is_array()) {
            message_.add(text::NotNumber(key, list.dump()), LineOfKey(source_, key, index));
            return out;
        }
        out.reserve(list.size());
        for (const Json& item : list) {
            if (item.is_array()) {
                for (const Json& inner : item) {
                    if (const std::optional<double> value = number(inner, key, index)) out.push_back(*value);
                }
            } else if (const std::optional<double> value = number(item, key, index)) {
                out.push_back(*value);
            }
            if (!message_.empty()) break;
        }
        return out;
    }

    void readIntensity(const Json& block, Tm33Emitter& emitter, std::size_t index) {
        std::vector<double> horizontal, vertical, values;
        for (const auto& [key, value] : block.items()) {
            if (key == "photometryType") {
                emitter.photometryType = ScalarText(value);
                emitter.photometryTypeLine = LineOfKey(source_, key, index);
            } else if (key == "metric") {
                emitter.metric = ScalarText(value);
            } else if (key == "symmetry" || key == "symmType") {
                emitter.symmetry = ScalarText(value);
            } else if (key == "multiplier") {
                emitter.multiplier = number(value, key, index);
            } else if (key == "absolutePhotometry" && value.is_boolean()) {
                emitter.absolute = value.get<bool>();
            } else if (key == "horizontalAngles") {
                horizontal = numbers(value, key, index);
            } else if (key == "verticalAngles") {
                vertical = numbers(value, key, index);
            } else if (key == "intensities") {
                values = numbers(value, key, index);
            }
            if (!message_.empty()) return;
        }
        if (values.empty()) return;
        if (values.size() != horizontal.size() * vertical.size()) {
            message_.add(text::ValueCountMismatch(values.size(), horizontal.size() * vertical.size()),
                         LineOfKey(source_, "intensities", index));
            return;
        }
        const int line = LineOfKey(source_, "intensities", index);
        emitter.points.reserve(values.size());
        for (std::size_t i = 0; i < horizontal.size(); ++i) {
            for (std::size_t j = 0; j < vertical.size(); ++j) {
                emitter.points.push_back({horizontal[i], vertical[j], values[i * vertical.size() + j], line});
            }
        }
    }

    void readRecordBlock(const Json& value) {
        Tm33RecordBlock& block = document_.recordBlock.emplace();
        block.unitsType = Whole16(value.value("unitsType", 2.0));
        block.photometricType = Whole16(value.value("photometricType", 0.0));
        block.keywords = value.value("keywords", std::vector<std::string>{});
        block.otherKeywordText = value.value("otherKeywordText", std::string{});
        block.keywordFields = value.value("keywordFields", std::vector<std::string>{});
        if (value.contains("tilt") && value["tilt"].is_object()) {
            const Json& tilt = value["tilt"];
            block.tiltIncl = Whole16(tilt.value("incl", 0.0));
            block.lampGeometry = Whole16(tilt.value("geometry", 0.0));
            const std::vector<double> angles = tilt.value("angles", std::vector<double>{});
            const std::vector<double> factors = tilt.value("factors", std::vector<double>{});
            // Pairs only, of values a single holds.
            for (std::size_t i = 0; i < angles.size() && i < factors.size() && i < 32767; ++i) {
                const std::optional<float> angle = ParseSingle(PlainText(angles[i]));
                const std::optional<float> factor = ParseSingle(PlainText(factors[i]));
                block.tiltAngles.push_back(angle.value_or(0.0f));
                block.tiltFactors.push_back(factor.value_or(0.0f));
            }
        }
    }

    static std::string PlainText(double value) { return Json(value).dump(); }

    std::string_view source_;
    Tm33Document& document_;
    ReaderMessages& message_;
};

}  // namespace

bool ParseAtlaJson(std::string_view source, Tm33Document& document, ReaderMessages& message) {
    document = Tm33Document{};
    document.notation = Tm33Notation::Json;
    Json root;
    // Real documents nest a few levels; a limit keeps pathological nesting
    // from exhausting the stack when kept members are written out again.
    struct TooDeep {};
    const auto limit = [](int depth, Json::parse_event_t, Json&) {
        if (depth > kMaxDepth) throw TooDeep{};
        return true;
    };
    try {
        root = Json::parse(source.begin(), source.end(), limit);
    } catch (const TooDeep&) {
        message.add(text::NotJson("it is nested more than 64 levels deep."), 0);
        return false;
    } catch (const Json::parse_error& error) {
        std::string detail = error.what();
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." keeps its own words.
        if (const std::size_t colon = detail.find(": "); colon != std::string::npos) detail.erase(0, colon + 2);
        if (!detail.ends_with('.')) detail.push_back('.');
        const std::size_t at = error.byte > 0 ? error.byte - 1 : 0;
        message.add(text::NotJson(detail), PhysicalLineAt(source, at));
        return false;
    } catch (const Json::exception& error) {
        // A number beyond a double's range ("1E999"); the parser names it.
        std::string detail = error.what();
        if (const std::size_t close = detail.find("] "); close != std::string::npos) detail.erase(0, close + 2);
        if (!detail.ends_with('.')) detail.push_back('.');
        message.add(text::NotJson(detail), 0);
        return false;
    }
    if (!root.is_object()) {
        message.add(text::NotJson("the document is not an object."), 1);
        return false;
    }
    try {
        return JsonReading(source, document, message).run(root);
    } catch (const Json::exception& error) {
        // A member of the wrong kind inside our own record block.
        message.add(text::NotJson(error.what()), 0);
        return false;
    }
}

}  // namespace lumibench
