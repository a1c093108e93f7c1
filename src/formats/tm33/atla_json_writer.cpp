#include <nlohmann/json.hpp>

#include <array>
#include <cctype>
#include <cmath>

#include "formats/text/field_reader.h"
#include "formats/tm33/tm33_header_map.h"
#include "formats/tm33/tm33_record_facts.h"
#include "formats/tm33/tm33_writer.h"

namespace lumibench {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kJsonOptionalStart = "{\"ATLAOptional\":";
constexpr std::array<std::string_view, 9> kHeaderElements = {
    "Manufacturer", "CatalogNumber", "GTIN", "Description", "Laboratory", "ReportNumber",
    "ReportDate",   "TestDate",      "MoreInfoURI"};

std::string KeyOf(std::string_view element) {
    std::string key(element);
    if (!key.empty()) key[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[0])));
    return key;
}

// A number as its shortest text reads: a single stays the single it was, and
// whole numbers are written without a fraction.
Json Number(double value) {
    const double shortest = ParseDouble(PlainNumber(value)).value_or(0.0);
    constexpr double kExactWhole = 9007199254740992.0;  // 2^53
    if (shortest == std::floor(shortest) && std::fabs(shortest) < kExactWhole) {
        return static_cast<std::int64_t>(shortest);
    }
    return shortest;
}

class JsonWriting {
public:
    JsonWriting(const PhotometricRecord& record, WrittenText& out) : record_(record), facts_(record, out), out_(out) {}

    void run() {
        if (const std::string fault = ShapeFault(record_); !fault.empty()) {
            out_.error = "Cannot write this data set: " + fault + ".";
            return;
        }
        readOptional();
        Json root;
        root["version"] = "1.0";
        Json& header = root["header"] = Json::object();
        for (std::string_view element : kHeaderElements) {
            if (const std::optional<std::string> value = facts_.header(element)) header[KeyOf(element)] = DocumentText(*value);
        }
        if (const std::vector<std::string> comments = facts_.all("[OTHER]"); !comments.empty()) header["comments"] = comments;

        Json& luminaire = root["luminaire"];
        luminaire["dimensions"] = {{"length", Number(facts_.millimetres(record_.Length))},
                                   {"width", Number(facts_.millimetres(record_.Width))},
                                   {"height", Number(facts_.millimetres(record_.Height))}};
        merge(luminaire, "Luminaire");
        luminaire["numEmitters"] = 1;

        Json& equipment = root["equipment"];
        equipment["goniometer"]["type"] = facts_.typeName();
        merge(equipment["goniometer"], "Gonioradiometer");
        merge(equipment, "Equipment");

        root["emitters"] = Json::array({emitter()});
        merge(root, "Document");
        root["lumibenchRecord"] = recordBlock();
        out_.text = root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    }

private:
    void readOptional() {
        if (record_.OptionalData.empty()) return;
        if (record_.OptionalData.starts_with(kJsonOptionalStart)) {
            optional_ = Json::parse(record_.OptionalData, nullptr, false)["ATLAOptional"];
            if (optional_.is_object()) return;
        }
        optional_ = Json::object();
        out_.notes.push_back("The data set's optional data are not ATLA JSON: not written.");
    }

    void merge(Json& into, std::string_view part) {
        if (!optional_.is_object() || !optional_.contains(part) || !optional_[std::string(part)].is_object()) return;
        for (const auto& [key, value] : optional_[std::string(part)].items()) into[key] = value;
    }

    Json emitter() {
        Json emitter;
        emitter["quantity"] = record_.LampCount;
        if (const std::optional<std::string> lamp = facts_.value(kEmitterDescriptionTag)) emitter["description"] = *lamp;
        if (const std::optional<std::string> catalog = facts_.value(kEmitterCatalogTag)) {
            emitter["catalogNumber"] = *catalog;
        }
        if (!facts_.absolute()) emitter["ratedLumens"] = Number(record_.LumensPerLamp);
        emitter["inputWatts"] = Number(record_.InputWatts);
        emitter["ballastFactor"] = Number(record_.BallastFactor);
        merge(emitter, "Emitter");

        Json& data = emitter["intensityDistribution"];
        data["photometryType"] = facts_.typeName().substr(4);
        data["metric"] = "Luminous";
        if (const std::string symmetry = facts_.symmetryName(); !symmetry.empty()) data["symmetry"] = symmetry;
        data["multiplier"] = Number(record_.CandelaMultiplier);
        data["absolutePhotometry"] = facts_.absolute();
        Json horizontal = Json::array(), vertical = Json::array(), values = Json::array();
        for (float angle : record_.HorAngles) horizontal.push_back(Number(angle));
        for (float angle : record_.VertAngles) vertical.push_back(Number(angle));
        for (const std::vector<double>& plane : record_.Candela) {
            // Candela values are doubles of their own and are written as such.
            for (double value : plane) values.push_back(std::isfinite(value) ? value : 0.0);
        }
        data["horizontalAngles"] = std::move(horizontal);
        data["verticalAngles"] = std::move(vertical);
        data["intensities"] = std::move(values);
        return emitter;
    }

    Json recordBlock() const {
        const Tm33RecordBlock block = facts_.block();
        Json out;
        out["unitsType"] = block.unitsType;
        if (block.photometricType != 0) out["photometricType"] = block.photometricType;
        out["keywords"] = block.keywords;
        out["otherKeywordText"] = block.otherKeywordText;
        out["keywordFields"] = block.keywordFields;
        Json angles = Json::array(), factors = Json::array();
        for (float angle : block.tiltAngles) angles.push_back(Number(angle));
        for (float factor : block.tiltFactors) factors.push_back(Number(factor));
        out["tilt"] = {{"incl", block.tiltIncl}, {"geometry", block.lampGeometry}, {"angles", angles}, {"factors", factors}};
        return out;
    }

    const PhotometricRecord& record_;
    Tm33RecordFacts facts_;
    WrittenText& out_;
    Json optional_ = Json::object();
};

}  // namespace

WrittenText WriteAtlaJsonText(const PhotometricRecord& record) {
    WrittenText out;
    JsonWriting(record, out).run();
    return out;
}

}  // namespace lumibench
