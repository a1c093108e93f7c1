// lumibench-photometry as scripts run it: a real child process on files
// written from analytic distributions, its exit status and its JSON keys.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>

#include <nlohmann/json.hpp>

#include "analytic_records.h"
#include "program_run.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;
using testing::Layout;
constexpr double kPi = std::numbers::pi;

using testing::ProgramRun;

ProgramRun RunPhotometry(const std::vector<std::string>& args) {
    return testing::RunProgram(QString::fromStdString(testing::BuiltProgram("lumibench-photometry")),
                               testing::Arguments(args), 60000);
}

class Folder {
public:
    Folder() : path_(fs::temp_directory_path() / ("lumibench-photometry-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
        return (path_ / name).string();
    }

private:
    fs::path path_;
};

TEST(PhotometryCli, JsonCarriesEveryFigureUnderItsKey) {
    Folder folder;
    PhotometricRecord lambert = testing::AnalyticRecord(1, Layout::Quadrant, 5, testing::CosinePower(1, 1000, 1));
    lambert.LampCount = 2;
    lambert.LumensPerLamp = 2500;
    lambert.InputWatts = 50;
    PhotometricRecord absolute = testing::AnalyticRecord(2, Layout::BLateral, 5, testing::CosinePower(2, 1000, 2));
    absolute.LumensPerLamp = -1;
    const std::string c = folder.write("lambert.ies", testing::IesText(lambert));
    const std::string b = folder.write("flood.ies", testing::IesText(absolute));

    const ProgramRun run = RunPhotometry({"--json", c, b});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto document = nlohmann::json::parse(run.out);
    ASSERT_EQ(document.size(), 2u);

    const auto& first = document[0];
    for (const char* key : {"file", "ok", "message", "luminaire_flux_lm", "lamp_flux_lm", "downward_flux_lm",
                            "upward_flux_lm", "lor_percent", "dlor_percent", "ulor_percent", "max_intensity_cd",
                            "max_intensity_direction", "beam_angle_deg", "field_angle_deg", "zonal_lumens",
                            "cie_flux_code", "efficacy_lm_per_w"}) {
        EXPECT_TRUE(first.contains(key)) << key;
    }
    EXPECT_EQ(first["file"], c);
    EXPECT_EQ(first["ok"], true);
    EXPECT_NEAR(first["luminaire_flux_lm"].get<double>(), kPi * 1000, kPi);
    EXPECT_EQ(first["lamp_flux_lm"], 5000);
    EXPECT_NEAR(first["lor_percent"].get<double>(), kPi * 1000 / 50, 0.1);
    EXPECT_NEAR(first["efficacy_lm_per_w"].get<double>(), kPi * 1000 / 50, 0.1);
    EXPECT_EQ(first["max_intensity_direction"]["gamma"], 0);
    EXPECT_TRUE(first["max_intensity_direction"].contains("c"));
    EXPECT_NEAR(first["beam_angle_deg"]["C0-C180"].get<double>(), 120, 0.1);
    EXPECT_NEAR(first["beam_angle_deg"]["C90-C270"].get<double>(), 120, 0.1);
    EXPECT_EQ(first["zonal_lumens"].size(), 9u);
    EXPECT_EQ(first["zonal_lumens"][0]["from"], 0);
    EXPECT_EQ(first["zonal_lumens"][0]["to"], 30);
    EXPECT_EQ(first["cie_flux_code"].size(), 5u);
    // A Lambertian downlight: round (type V), NEMA 7 (field 2 arccos 0.1 = 168.5 deg).
    EXPECT_EQ(first["road"]["lateral_type"], "V");
    EXPECT_EQ(first["road"]["bug"]["rating"].get<std::string>().size(), 8u);
    EXPECT_EQ(first["road"]["grid"]["points_along"], 10);
    EXPECT_EQ(first["floodlight"]["nema_type"], "7H x 7V");
    EXPECT_NEAR(first["floodlight"]["target"]["centre"].get<double>(), 1000 / 100.0, 1e-9);
    EXPECT_EQ(first["indoor"]["cu_table"]["values"].size(), 11u);
    EXPECT_TRUE(first["indoor"]["ugr_table"].is_null()) << "no luminous area given";
    EXPECT_TRUE(first["indoor"]["spacing_criterion"]["C0-C180"].is_number());

    const auto& second = document[1];
    EXPECT_TRUE(second["lamp_flux_lm"].is_null());
    EXPECT_TRUE(second["lor_percent"].is_null());
    EXPECT_TRUE(second["efficacy_lm_per_w"].is_null());
    EXPECT_TRUE(second["zonal_lumens"][0]["percent_lamp"].is_null());
    EXPECT_TRUE(second["max_intensity_direction"].contains("h"));
    EXPECT_TRUE(second["max_intensity_direction"].contains("v"));
    EXPECT_NEAR(second["beam_angle_deg"]["horizontal"].get<double>(), 90, 0.1);
    EXPECT_NEAR(second["field_angle_deg"]["vertical"].get<double>(), 2 * std::acos(std::sqrt(0.1)) * 180 / kPi, 0.5);
    EXPECT_NEAR(second["luminaire_flux_lm"].get<double>(), 2 * kPi * 1000 / 3, 2);
    EXPECT_TRUE(second["road"].is_null());
    EXPECT_TRUE(second["indoor"].is_null());
    EXPECT_NEAR(second["floodlight"]["horizontal_beam"]["deg"].get<double>(), 90, 0.1);
    EXPECT_EQ(second["floodlight"]["nema_type"], "7H x 7V");

    // Inputs by option: a staggered road at 40 m spacing has 14 points along it.
    const auto staggered = nlohmann::json::parse(
        RunPhotometry({"--json", "--spacing=40", "--arrangement=staggered", "--distance=5", c}).out);
    EXPECT_EQ(staggered[0]["road"]["grid"]["points_along"], 14);
    EXPECT_EQ(staggered[0]["road"]["grid"]["arrangement"], "staggered");
    EXPECT_NEAR(staggered[0]["floodlight"]["target"]["centre"].get<double>(), 1000 / 25.0, 1e-9);
}

TEST(PhotometryCli, RoadFiguresTakeTheStreetSideTowardC0) {
    Folder folder;
    // A street light throwing its light toward C180, the house side: a spot
    // 1.5 mounting heights across and 2.5 along the road either way.
    auto spot = [](double turn) {
        return [turn](double c, double g) {
            if (g >= 89) return 0.0;
            const double r = std::tan(g * kPi / 180);
            const double along = std::abs(r * std::sin((c - turn) * kPi / 180));
            const double across = r * std::cos((c - turn) * kPi / 180);
            return 8000 * std::exp(-std::pow((along - 2.5) / 0.6, 2) - std::pow((across - 1.5) / 0.6, 2)) + 50;
        };
    };
    const std::string house = folder.write("house.ies", testing::IesText(testing::AnalyticRecord(1, Layout::Full, 2.5, spot(180))));
    const std::string street = folder.write("street.ies", testing::IesText(testing::AnalyticRecord(1, Layout::Full, 2.5, spot(0))));
    const ProgramRun run = RunPhotometry({"--json", house, street});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto document = nlohmann::json::parse(run.out);
    for (const auto& file : document) EXPECT_EQ(file["road"]["street_side"], "street side: horizontal angles 270\u2013" "90, toward C0");
    EXPECT_EQ(document[0]["road"]["orientation_rotation_deg"], 180);
    EXPECT_TRUE(document[1]["road"]["orientation_note"].is_null());
    EXPECT_NEAR(document[1]["road"]["max_candela_across_mh"].get<double>(), 1.5, 0.25);
    EXPECT_EQ(document[1]["road"]["lateral_type"], "III");  // reach 1.5 + 0.6 sqrt(ln 2) = 2.0
    EXPECT_EQ(document[1]["ballast_factor_applied"], false);

    // The real street light of the corpus throws its maximum (C275, gamma 67.5)
    // along the road, a little to the street side: no note, not the house side.
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    const fs::path real = fs::path(corpus ? corpus : "") / "ies" / "eulumdat-rs__OutdoorRoadway IES OS 8988-2022 03 AM01 60W 4000K.ies";
    if (!corpus || !fs::exists(real)) GTEST_SKIP() << "no corpus";
    const auto road = nlohmann::json::parse(RunPhotometry({"--json", real.string()}).out)[0]["road"];
    EXPECT_TRUE(road["orientation_note"].is_null());
    EXPECT_NEAR(road["max_candela_along_mh"].get<double>(), -2.41, 0.02);
    EXPECT_NEAR(road["max_candela_across_mh"].get<double>(), 0.21, 0.02);
    EXPECT_NE(road["lateral_type"], "IV");
}

TEST(PhotometryCli, ExitStatusLikeTheChecker) {
    Folder folder;
    const std::string good =
        folder.write("good.ies", testing::IesText(testing::AnalyticRecord(1, Layout::Rotational, 10, testing::Isotropic(10))));
    const std::string bad = folder.write("bad.ies", "IESNA:LM-63-2002\r\nTILT=NONE\r\n1 1000 1\r\n");
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string outStart;
    };
    const std::vector<Row> rows{
        {{"--version"}, 0, "lumibench-photometry 0.1.0\n"},
        {{"--help"}, 0, "Usage: lumibench-photometry"},
        {{}, 2, ""},
        {{"--bogus", good}, 2, ""},
        {{"--spacing=-3", good}, 2, ""},
        {{"--lanes=1.5", good}, 2, ""},
        {{"--distance=ten", good}, 2, ""},
        {{"--arrangement=zigzag", good}, 2, ""},
        {{good}, 0, good + "\n  Luminaire flux"},
        {{"--json", good, bad}, 1, "["},
        {{good, (fs::path(good).parent_path() / "missing.ies").string()}, 2, good},
    };
    for (const Row& row : rows) {
        const ProgramRun run = RunPhotometry(row.args);
        SCOPED_TRACE(::testing::PrintToString(row.args));
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_EQ(run.out.substr(0, row.outStart.size()), row.outStart);
    }
    const auto document = nlohmann::json::parse(RunPhotometry({"--json", bad}).out);
    EXPECT_EQ(document[0]["ok"], false);
    EXPECT_NE(document[0]["message"], "");
    EXPECT_TRUE(document[0]["luminaire_flux_lm"].is_null());
    EXPECT_TRUE(document[0]["cie_flux_code"].is_null());
}

TEST(PhotometryCli, CompareGivesTheTableAgainstTheChosenFile) {
    Folder folder;
    PhotometricRecord lambert = testing::AnalyticRecord(1, Layout::Rotational, 5, testing::CosinePower(1, 1000, 1));
    lambert.LampCount = 1;
    lambert.LumensPerLamp = 5000;
    PhotometricRecord doubled = lambert;
    doubled.CandelaMultiplier *= 2;
    const std::string a = folder.write("a.ies", testing::IesText(lambert));
    const std::string b = folder.write("b, doubled.ies", testing::IesText(doubled));

    const ProgramRun json = RunPhotometry({"--compare=2", "--json", a, b});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto document = nlohmann::json::parse(json.out);
    EXPECT_EQ(document["reference"], b);
    const auto& flux = document["figures"][0];
    ASSERT_EQ(flux["name"], "Luminaire flux");
    EXPECT_NEAR(flux["differences"][0].get<double>(), -50, 1e-3);
    EXPECT_NEAR(flux["differences"][1].get<double>(), 0, 1e-9);

    const ProgramRun csv = RunPhotometry({"--compare", a, b});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_NE(csv.out.find("\"" + b + "\""), std::string::npos) << "a name with a comma is quoted";
    EXPECT_NE(csv.out.find(",100.00,%\r\n"), std::string::npos);

    // A reference beyond the files that loaded, or no number at all, is a usage error.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--compare=3", a, b},
                                                 std::vector<std::string>{"--compare=0", a},
                                                 std::vector<std::string>{"--compare=x", a}}) {
        EXPECT_EQ(RunPhotometry(args).status, 2) << args[0];
    }
    // Numbers that are not finite single-precision values are usage errors naming the option.
    for (const char* option : {"--spacing=inf", "--overhang=inf", "--distance=1e39", "--aim-h=nan"}) {
        const ProgramRun run = RunPhotometry({option, a});
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_NE(run.err.find(option), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace lumibench
