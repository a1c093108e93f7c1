// lumibench-template: the Template tool's models from a shell, with the
// figures its preview shows, as JSON.

#include <iostream>

#include <nlohmann/json.hpp>

#include "core/run_outputs.h"
#include "photometry/photometry.h"
#include "sdk/photometric_writers.h"
#include "template_options.h"

namespace {

nlohmann::ordered_json Optional(const std::optional<double>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumibench;
    const TemplateOptions options = ParseTemplateArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "lumibench-template: " << options.error << "\n" << TemplateUsageText();
        return 2;
    }
    if (options.help) {
        std::cout << TemplateUsageText();
        return 0;
    }
    PhotometricRecord record = MakeTemplateRecord(options.parameters);
    const photometry::Summary s = photometry::Summarise(record);
    nlohmann::ordered_json out;
    out["model"] = std::string(TemplateModelNames()[static_cast<std::size_t>(options.parameters.model)]);
    out["photometricType"] = record.PhotometricType;
    out["luminaireFluxLm"] = s.luminaireFluxLm;
    out["lampFluxLm"] = Optional(s.lampFluxLm);
    out["lorPercent"] = Optional(s.lorPercent);
    out["dlorPercent"] = Optional(s.dlorPercent);
    out["maxIntensityCd"] = s.maxIntensityCd;
    out["maxIntensityDirection"] = {{"horizontal", s.maxIntensityDirection.horizontal},
                                    {"vertical", s.maxIntensityDirection.vertical}};
    nlohmann::ordered_json beams = nlohmann::ordered_json::array();
    for (const auto& beam : s.beamAngles) beams.push_back({{"plane", beam.plane}, {"degrees", Optional(beam.degrees)}});
    out["beamAngles"] = beams;
    out["efficacyLmPerW"] = Optional(s.efficacyLmPerW);
    int status = 0;
    if (!options.out.empty()) {
        record.Filename = options.out;
        const WriteResult written = WritePhotometricFile(record, options.out, FileFormat::Ies2002, options.force);
        out["file"] = written.ok ? nlohmann::ordered_json(written.path) : nlohmann::ordered_json(nullptr);
        if (!written.ok) {
            std::cerr << "lumibench-template: not written: " << written.path << ": "
                      << (written.error == "File exists" ? std::string(kTargetExists) : written.error) << "\n";
            status = 1;
        }
    }
    std::cout << out.dump(2) << "\n";
    return status;
}
