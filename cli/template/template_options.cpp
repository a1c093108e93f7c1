#include "template_options.h"

#include <map>

#include "number_option.h"

namespace lumibench {
namespace {

const std::map<std::string, TemplateModel> kModels = {
    {"downlight", TemplateModel::Downlight}, {"batwing", TemplateModel::Batwing},
    {"wallwasher", TemplateModel::WallWasher}, {"linear", TemplateModel::Linear},
    {"road", TemplateModel::Road}, {"floodlight", TemplateModel::Floodlight}};

}  // namespace

const OptionTable& TemplateOptionTable() {
    static const OptionTable table = [] {
        std::vector<std::string> models;
        for (const auto& [name, model] : kModels) models.push_back(name);
        OptionTable rows{{{"--model"}, OptionValue::Choice, models},
                         {{"--name"}, OptionValue::Text},
                         {{"--out"}, OptionValue::File},
                         {{"--force"}},
                         {{"--feet"}},
                         HelpOption()};
        for (const char* name : {"--beam", "--second", "--throw", "--lamps", "--lumens", "--lor", "--watts",
                                 "--width", "--length", "--height", "--hstep", "--vstep"}) {
            rows.push_back({{name}, OptionValue::Number});
        }
        return rows;
    }();
    return table;
}

TemplateOptions ParseTemplateArguments(const std::vector<std::string>& args) {
    TemplateOptions options;
    TemplateParameters& p = options.parameters;
    double lamps = 1;
    const std::map<std::string, double*> numbers = {
        {"--beam", &p.beamAngle}, {"--second", &p.secondAngle}, {"--throw", &p.throwAngle},
        {"--lamps", &lamps},      {"--lumens", &p.lumensPerLamp}, {"--lor", &p.lightOutputRatio},
        {"--watts", &p.watts},    {"--width", &p.width},        {"--length", &p.length},
        {"--height", &p.height},  {"--hstep", &p.horizontalStep}, {"--vstep", &p.verticalStep}};
    auto fail = [&](std::string text) {
        if (options.error.empty()) options.error = std::move(text);
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (!FindOption(TemplateOptionTable(), arg)) {
            fail("unknown option '" + arg + "'");
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--feet") {
            p.unitsType = 1;
        } else if (arg == "--model" || arg == "--name" || arg == "--out") {
            if (!hasValue) {
                fail(arg + " needs a value");
                continue;
            }
            const std::string& value = args[++i];
            if (arg == "--name") p.name = value;
            if (arg == "--out") options.out = value;
            if (arg == "--model") {
                const auto model = kModels.find(value);
                if (model == kModels.end()) fail("unknown model '" + value + "'");
                else p.model = model->second;
            }
        } else if (const auto number = numbers.find(arg); number != numbers.end()) {
            const OptionNumber read = hasValue ? ReadOptionNumber(args[++i], *number->second) : OptionNumber::NotANumber;
            if (read == OptionNumber::NotANumber) fail(arg + " needs a number");
            if (read == OptionNumber::OutOfRange) {
                fail(arg + " needs a finite number within single precision, not '" + args[i] + "'");
            }
        } else {
            fail("unknown option '" + arg + "'");
        }
    }
    // The record keeps the lamp count in 16 bits.
    if (lamps < -32768 || lamps > 32767) fail("--lamps needs a number within the 16-bit range");
    else p.lampCount = static_cast<int>(lamps);
    return options;
}

std::string TemplateUsageText() {
    return "Usage: lumibench-template [--model downlight|batwing|wallwasher|linear|road|floodlight]\n"
           "         [--beam DEG] [--second DEG] [--throw DEG] [--lamps N] [--lumens LM] [--lor RATIO]\n"
           "         [--watts W] [--width L] [--length L] [--height L] [--feet] [--hstep DEG] [--vstep DEG]\n"
           "         [--name TEXT] [--out FILE.ies [--force]]\n"
           "Makes a data set from a parametric model, as the Template tool does, and prints its\n"
           "figures as JSON; with --out it is also written as an IES LM-63-2002 file.\n"
           "  --second  the floodlight's vertical beam angle, the road luminaire's vertical spread\n"
           "  --throw   the road luminaire's lateral throw from the road axis\n"
           "  --lor     luminaire flux / lamp flux (0.8); --lumens -1: absolute photometry\n"
           "Numbers are finite and within single precision (no nan, inf or 1e39).\n"
           "--out writes a new file; an existing FILE is replaced only with --force.\n"
           "Exit status: 0 done, 1 the file could not be written (or its reader would refuse it),\n"
           "2 usage error.\n";
}

}  // namespace lumibench
