#include "record_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "formats/text/text_decoding.h"

namespace lumibench {

using json = nlohmann::ordered_json;

json FloatToJson(float value) {
    // JSON has no NaN or infinity; null is what the library writes for them anyway.
    if (!std::isfinite(value)) return nullptr;
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    double shortest = 0;
    std::from_chars(buffer, written.ptr, shortest);
    return shortest;
}

std::string JsonSafeText(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    return Windows1252ToUtf8(text);
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0U);
        }
        for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return out;
}

void PutFileName(nlohmann::ordered_json& object, const std::string& key, std::string_view name) {
    object[key] = JsonSafeText(name);
    if (!IsValidUtf8(name)) object[key + "_bytes"] = Base64(name);
}

namespace {

json FloatsToJson(const std::vector<float>& values) {
    json array = json::array();
    for (float value : values) array.push_back(FloatToJson(value));
    return array;
}

json DoubleToJson(double value) {
    if (!std::isfinite(value)) return nullptr;
    return value;
}

}  // namespace

json RecordToJson(const PhotometricRecord& r) {
    json keywords = json::array();
    for (const std::string& line : r.Keywords) keywords.push_back(JsonSafeText(line));
    json candela = json::array();
    for (const std::vector<double>& row : r.Candela) {
        json values = json::array();
        for (double value : row) values.push_back(DoubleToJson(value));
        candela.push_back(std::move(values));
    }

    // Declaration order, so that the output reads like the record.
    json out;
    out["PictureFilename"] = JsonSafeText(r.PictureFilename);
    out["Filename"] = JsonSafeText(r.Filename);
    out["Keywords"] = std::move(keywords);
    out["OtherKeywordText"] = JsonSafeText(r.OtherKeywordText);
    out["FileDateText"] = JsonSafeText(r.FileDateText);
    out["TestKeyword"] = JsonSafeText(r.TestKeyword);
    out["DateKeyword"] = JsonSafeText(r.DateKeyword);
    out["ManufacKeyword"] = JsonSafeText(r.ManufacKeyword);
    out["LumcatKeyword"] = JsonSafeText(r.LumcatKeyword);
    out["LuminaireKeyword"] = JsonSafeText(r.LuminaireKeyword);
    out["LampcatKeyword"] = JsonSafeText(r.LampcatKeyword);
    out["LampKeyword"] = JsonSafeText(r.LampKeyword);
    out["BallastKeyword"] = JsonSafeText(r.BallastKeyword);
    out["TiltIncl"] = r.TiltIncl;
    out["LampGeometry"] = r.LampGeometry;
    out["TiltPairCount"] = r.TiltPairCount;
    out["TiltAngles"] = FloatsToJson(r.TiltAngles);
    out["TiltFactors"] = FloatsToJson(r.TiltFactors);
    out["LampCount"] = r.LampCount;
    out["LumensPerLamp"] = FloatToJson(r.LumensPerLamp);
    out["CandelaMultiplier"] = FloatToJson(r.CandelaMultiplier);
    out["VertAngleCount"] = r.VertAngleCount;
    out["HorAngleCount"] = r.HorAngleCount;
    out["PhotometricType"] = r.PhotometricType;
    out["UnitsType"] = r.UnitsType;
    out["Width"] = FloatToJson(r.Width);
    out["Length"] = FloatToJson(r.Length);
    out["Height"] = FloatToJson(r.Height);
    out["BallastFactor"] = FloatToJson(r.BallastFactor);
    out["InputWatts"] = FloatToJson(r.InputWatts);
    out["VertAngles"] = FloatsToJson(r.VertAngles);
    out["HorAngles"] = FloatsToJson(r.HorAngles);
    out["Candela"] = std::move(candela);
    out["MaxCandela"] = DoubleToJson(r.MaxCandela);
    out["MaxCandelaVertAngle"] = FloatToJson(r.MaxCandelaVertAngle);
    out["MaxCandelaHorAngle"] = FloatToJson(r.MaxCandelaHorAngle);
    out["OptionalData"] = JsonSafeText(r.OptionalData);
    out["Saved"] = r.Saved;
    out["Checked"] = r.Checked;
    return out;
}

}  // namespace lumibench
