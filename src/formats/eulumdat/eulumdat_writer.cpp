#include "formats/eulumdat/eulumdat_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "photometry/photometry.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumibench {
namespace {

constexpr double kAngleTolerance = 1e-3;
constexpr std::size_t kTextLineLimit = 78;  // the format's longest text line
constexpr int kDirectRatioCount = 10;
constexpr const char* kLampSuffixes[6] = {"_NUM]", "_TYPE]", "_FLUX]", "_COLOR]", "_CRG]", "_WATTS]"};

double Normalised(double angle) {
    angle = std::fmod(angle, 360.0);
    if (angle < 0) angle += 360.0;
    if (angle > 360.0 - kAngleTolerance) angle = 0;
    return angle;
}

bool Near(double a, double b) { return std::fabs(a - b) < kAngleTolerance; }

// One C plane of the full circle and the stored horizontal angle it shows.
struct CPlane {
    double angle = 0;
    std::size_t source = 0;
};

// The full circle of C planes that the record's horizontal layout stands for,
// sorted; empty when the layout is none of the IES type C forms.
std::vector<CPlane> FullCircle(const PhotometricRecord& record) {
    std::vector<CPlane> planes;
    const auto& h = record.HorAngles;
    if (h.empty()) return planes;
    auto add = [&](double angle, std::size_t source) {
        angle = Normalised(angle);
        for (const CPlane& plane : planes) {
            if (Near(plane.angle, angle)) return;
        }
        planes.push_back({angle, source});
    };
    const double first = h.front();
    const double last = h.back();
    if (h.size() == 1) {
        add(0, 0);
    } else if (first == 0 && last == 90) {
        for (std::size_t i = 0; i < h.size(); ++i) {
            for (double angle : {double(h[i]), 180.0 - h[i], 180.0 + h[i], 360.0 - h[i]}) add(angle, i);
        }
    } else if (first == 0 && last == 180) {
        for (std::size_t i = 0; i < h.size(); ++i) {
            add(h[i], i);
            add(360.0 - h[i], i);
        }
    } else if (first == 90 && last == 270) {
        for (std::size_t i = 0; i < h.size(); ++i) {
            add(h[i], i);
            add(180.0 - h[i], i);
        }
    } else if (first == 0 && last > 180 && last <= 360) {
        for (std::size_t i = 0; i < h.size(); ++i) add(h[i], i);
    } else {
        return {};
    }
    std::sort(planes.begin(), planes.end(), [](const CPlane& a, const CPlane& b) { return a.angle < b.angle; });
    return planes;
}

bool Equidistant(const std::vector<double>& angles, double start, double step) {
    for (std::size_t k = 0; k < angles.size(); ++k) {
        if (!Near(angles[k], start + step * static_cast<double>(k))) return false;
    }
    return true;
}

// The distribution as the file will hold it: cd/klm rounded to single
// precision, worked out once per stored plane (the symmetry search compares
// planes many times over). Where a text of at most 3 decimals, read back and
// scaled as the EULUMDAT reader scales it (`readBackFactor`), gives the very
// candela value of the data set, that text's single is kept instead: a value
// that came from a file of cd/klm goes back as it stood there ("37.6", not
// the nearest single to candela / klm, "37.600002").
class Intensities {
public:
    Intensities(const PhotometricRecord& record, double kiloLumens, float readBackFactor) {
        const double multiplier = record.CandelaMultiplier;
        const double factor = multiplier / kiloLumens;
        table_.reserve(record.Candela.size());
        for (const auto& plane : record.Candela) {
            std::vector<float>& row = table_.emplace_back(plane.size());
            if (readBackFactor != 0.0f) {
                ReadBack(plane.data(), row.data(), row.size(), factor, multiplier, readBackFactor);
            } else {
                for (std::size_t j = 0; j < plane.size(); ++j) row[j] = static_cast<float>(plane[j] * factor);
            }
        }
    }

    const std::vector<float>& plane(std::size_t index) const { return table_[index]; }
    // NaN matches nothing, not even itself.
    bool samePlanes(std::size_t a, std::size_t b) const { return a == b || table_[a] == table_[b]; }

private:
    // Below 2^14 a single's shortest text is the 3-decimal one where there
    // is one, so the text written is the one tested here. Negative values
    // are written as 0 and need none. Free of branches, like the steps of
    // ReadBack's two-at-a-time loop.
    static float FewDecimalsReadingBack(float value, double candela, float readBackFactor) {
        const double scaled = static_cast<double>(value) * 1000.0;  // exact
        const bool inRange = (scaled >= 0) & (scaled < 16384000.0);
        const double m = static_cast<double>(static_cast<std::int32_t>((inRange ? scaled : 0.0) + 0.5));
        const double text = m / 1000.0;  // as a reader makes it of the decimal text
        const bool readsBack =
            inRange & (static_cast<float>(static_cast<double>(readBackFactor) * text) == static_cast<float>(candela));
        return readsBack ? static_cast<float>(text) : value;
    }

    // The row's values, each through FewDecimalsReadingBack; two at a time
    // where SSE2 (every x86-64) is there, step for step the same.
    static void ReadBack(const double* candela, float* row, std::size_t count, double factor, double multiplier,
                         float readBackFactor) {
        std::size_t j = 0;
#if defined(__SSE2__)
        const __m128d thousand = _mm_set1_pd(1000.0);
        const __m128d top = _mm_set1_pd(16384000.0);
        const __m128d toKlm = _mm_set1_pd(factor);
        const __m128d readBack = _mm_set1_pd(readBackFactor);
        const __m128d scale = _mm_set1_pd(multiplier);
        for (; j + 2 <= count; j += 2) {
            const __m128d given = _mm_loadu_pd(candela + j);
            const __m128 value = _mm_cvtpd_ps(_mm_mul_pd(given, toKlm));
            const __m128d scaled = _mm_mul_pd(_mm_cvtps_pd(value), thousand);
            const __m128d inRange = _mm_and_pd(_mm_cmpge_pd(scaled, _mm_setzero_pd()), _mm_cmplt_pd(scaled, top));
            const __m128i m = _mm_cvttpd_epi32(_mm_add_pd(_mm_and_pd(scaled, inRange), _mm_set1_pd(0.5)));
            const __m128d text = _mm_div_pd(_mm_cvtepi32_pd(m), thousand);
            const __m128 readsBack = _mm_and_ps(
                _mm_cmpeq_ps(_mm_cvtpd_ps(_mm_mul_pd(readBack, text)), _mm_cvtpd_ps(_mm_mul_pd(given, scale))),
                _mm_castsi128_ps(_mm_shuffle_epi32(_mm_castpd_si128(inRange), _MM_SHUFFLE(3, 3, 2, 0))));
            const __m128 result =
                _mm_or_ps(_mm_and_ps(readsBack, _mm_cvtpd_ps(text)), _mm_andnot_ps(readsBack, value));
            _mm_storel_epi64(reinterpret_cast<__m128i_u*>(row + j), _mm_castps_si128(result));
        }
#endif
        for (; j < count; ++j) {
            row[j] = FewDecimalsReadingBack(static_cast<float>(candela[j] * factor), candela[j] * multiplier,
                                            readBackFactor);
        }
    }

    std::vector<std::vector<float>> table_;
};

int Symmetry(const std::vector<CPlane>& circle, const Intensities& values) {
    if (circle.empty()) return -1;
    if (std::all_of(circle.begin(), circle.end(),
                    [&](const CPlane& p) { return values.samePlanes(p.source, circle.front().source); })) {
        return 1;
    }
    std::vector<double> angles;
    for (const CPlane& plane : circle) angles.push_back(plane.angle);
    const std::size_t mc = circle.size();
    if (!Equidistant(angles, 0, 360.0 / static_cast<double>(mc))) return 0;
    // The plane at the mirror image of every plane holds the same values.
    auto mirrored = [&](auto mirror) {
        for (const CPlane& plane : circle) {
            const double image = Normalised(mirror(plane.angle));
            // The circle is sorted and its angles lie further apart than Near: the
            // first plane above image - tolerance is the only one that can match.
            const auto match = std::upper_bound(circle.begin(), circle.end(), image - kAngleTolerance,
                                                [](double angle, const CPlane& other) { return angle < other.angle; });
            if (match == circle.end() || !Near(match->angle, image) || !values.samePlanes(plane.source, match->source)) {
                return false;
            }
        }
        return true;
    };
    const bool aboutC0 = mc % 2 == 0 && mirrored([](double c) { return 360.0 - c; });
    const bool aboutC90 = mc % 4 == 0 && mirrored([](double c) { return 180.0 - c; });
    if (aboutC0 && aboutC90 && mc % 4 == 0) return 4;
    if (aboutC0) return 2;
    if (aboutC90) return 3;
    return 0;
}

std::optional<double> ParsedNumber(std::string_view text) {
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

// Fixed decimals whatever the locale (printf would follow LC_NUMERIC).
std::string Fixed(double value, int decimals) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

// Millimetres with the fewest decimals that our reader turns back into the
// same single-precision metres.
std::string MillimetreText(double metres) {
    const float target = static_cast<float>(metres);
    std::string text;
    for (int decimals = 0; decimals <= 6; ++decimals) {
        text = Fixed(metres * 1000.0, decimals);
        const std::optional<double> value = ParsedNumber(text);
        if (value && static_cast<float>(*value / 1000.0) == target) break;
    }
    if (text == "-0") text = "0";
    return text;
}

class EulumdatWriting {
public:
    EulumdatWriting(const PhotometricRecord& record, std::string_view fileName, WrittenText& out)
        : record_(record), fileName_(fileName), out_(out), header_(SplitHeaderLines(record.Keywords)) {}

    void run() {
        if (record_.PhotometricType != 1) {
            out_.error = "EULUMDAT holds type C data only; this data set is type " + TypeName() + ".";
            return;
        }
        if (const std::string fault = ShapeFault(record_); !fault.empty()) {
            out_.error = "Cannot write this data set: " + fault + ".";
            return;
        }
        circle_ = FullCircle(record_);
        if (circle_.empty()) {
            out_.error = "The horizontal angles " + PlainNumber(record_.HorAngles.front()) + " to " +
                         PlainNumber(record_.HorAngles.back()) + " are no type C layout.";
            return;
        }
        if (!chooseFlux()) return;
        const auto& h = record_.HorAngles;
        if (h.size() > 1 && h.back() == 360 && h.front() == 0 && record_.Candela.back() != record_.Candela.front()) {
            note("The C360 plane differs from the C0 plane; EULUMDAT has one plane there and keeps C0.");
        }
        const Intensities values(record_, fluxText_.second / 1000.0, readBackFactor());
        isym_ = Symmetry(circle_, values);
        writeHeader();
        writeLampSets();
        writeDirectRatios();
        writeAngles();
        writeIntensities(values);
    }

private:
    std::string TypeName() const {
        switch (record_.PhotometricType) {
        case 2: return "B";
        case 3: return "A";
        default: return std::to_string(record_.PhotometricType);
        }
    }

    void note(std::string text) { out_.notes.push_back(std::move(text)); }

    void line(std::string_view text) { out_.text.append(text).append(kCrLf); }
    void textLine(std::string_view text) {
        const std::string cut = OneLine(text, kTextLineLimit);
        if (cut.size() < OneLine(text).size()) note("\"" + std::string(text) + "\" cut to the format's 78 characters.");
        line(cut);
    }

    std::string keyword(std::string_view tag, std::string_view fallback = {}) const {
        const std::optional<std::string> value = KeywordValue(header_, tag);
        return value ? *value : std::string(fallback);
    }

    // Luminaire and downward flux of the distribution, worked out once.
    std::pair<double, double> fluxes() {
        if (!fluxes_) {
            const photometry::IntensityDistribution distribution(record_);
            fluxes_ = {photometry::TotalFlux(distribution), photometry::DownwardFlux(distribution)};
        }
        return *fluxes_;
    }

    // What the EULUMDAT reader will multiply the written cd/klm by, worked
    // out as it does: the lamp set's flux read as a single, per lamp, times
    // the number of lamps, per 1000 lm (a negative count: the flux alone).
    // Only data read from EULUMDAT holds such products (0: none sought).
    float readBackFactor() const {
        if (OriginOf(record_) != HeaderOrigin::Eulumdat) return 0.0f;
        const auto flux = static_cast<float>(fluxText_.second);
        if (lampNumber_ <= 0) return flux / 1000.0f;
        const auto lamps = static_cast<float>(lampNumber_);
        return lamps * (flux / lamps) / 1000.0f;
    }

    // The lamp flux the intensities relate to, as written and read back.
    bool chooseFlux() {
        const std::optional<double> relative = RelativeLampFlux(record_);
        double flux = 0;
        if (relative) {
            flux = *relative;
            lampNumber_ = record_.LampCount;
            fluxText_.first = PlainNumber(static_cast<float>(flux));
        } else {
            lampNumber_ = -std::max<int>(record_.LampCount, 1);
            // Read from EULUMDAT, the lamp set's own flux is what the values
            // were scaled by: kept, the file goes back as it stood.
            const std::string own = OriginOf(record_) == HeaderOrigin::Eulumdat ? keyword("[_EULUM_LAMP_1_FLUX]") : "";
            const std::optional<double> ownFlux = ParsedNumber(own);
            if (ownFlux && *ownFlux > 0 && std::isfinite(*ownFlux)) {
                flux = *ownFlux;
                fluxText_.first = own;
            } else {
                flux = fluxes().first;
                fluxText_.first = Fixed(flux, 1);
                note("Absolute photometry: the lamp set holds the luminaire flux, " + fluxText_.first +
                     " lm, with a negative number of lamps.");
            }
        }
        const std::optional<double> written = ParsedNumber(fluxText_.first);
        if (!(flux > 0) || !written || !(*written > 0)) {
            out_.error = "The data set has no luminous flux to relate cd/klm values to.";
            return false;
        }
        fluxText_.second = *written;
        return true;
    }

    void writeHeader() {
        textLine(keyword("[MANUFAC]"));
        std::string ityp = keyword("[_EULUMDAT_ITYP]");
        if (ityp.empty()) ityp = isym_ == 1 ? "1" : isym_ == 0 ? "0" : "3";
        line(ityp);
        line(std::to_string(isym_));

        // A rotationally symmetric single plane still lists a full circle of C angles.
        if (isym_ == 1 && circle_.size() == 1) {
            for (int k = 0; k < 36; ++k) cAngles_.push_back(10.0 * k);
        } else {
            for (const CPlane& plane : circle_) cAngles_.push_back(plane.angle);
        }
        const double dc = 360.0 / static_cast<double>(cAngles_.size());
        line(std::to_string(cAngles_.size()));
        line(Equidistant(cAngles_, 0, dc) ? PlainNumber(dc) : "0");
        const auto& gamma = record_.VertAngles;
        const double dg = gamma.size() > 1 ? gamma[1] - gamma[0] : 0;
        std::vector<double> gammaList(gamma.begin(), gamma.end());
        line(std::to_string(gamma.size()));
        line(gamma.size() > 1 && Equidistant(gammaList, gamma[0], dg) ? PlainNumber(static_cast<float>(dg)) : "0");
        textLine(keyword("[TEST]"));
        textLine(keyword("[LUMINAIRE]"));
        textLine(keyword("[LUMCAT]"));
        textLine(fileName_);
        std::string date = keyword("[ISSUEDATE]");
        if (date.empty()) date = keyword("[DATE]");
        textLine(date);

        const double width = Metres(record_.Width, record_.UnitsType);
        const double length = Metres(record_.Length, record_.UnitsType);
        const double height = Metres(record_.Height, record_.UnitsType);
        std::string lengthText = MillimetreText(length);
        std::string widthText = MillimetreText(width);
        if (width < 0 || length < 0) {
            // A negative IES dimension marks a round opening; EULUMDAT says so with width 0.
            lengthText = MillimetreText(std::max(std::fabs(width), std::fabs(length)));
            widthText = "0";
        } else if (width == 0 && length > 0) {
            note("Width 0 with a length reads in EULUMDAT as a round luminous area.");
        }
        const std::string heightText = MillimetreText(height);
        // Also when read from EULUMDAT: the data holds the luminous area only.
        note("The luminaire's own dimensions are not in the data: written as those of its luminous area.");
        line(lengthText);
        line(widthText);
        line(heightText);
        line(lengthText);
        line(widthText);
        line(heightText);
        for (std::string_view tag : {"[_EULUM_C90_LUM]", "[_EULUM_C180_LUM]", "[_EULUM_C270_LUM]"}) {
            line(keyword(tag, heightText));
        }

        const auto [luminaireFlux, downwardFlux] = fluxes();
        const double dff = luminaireFlux > 0 ? 100.0 * downwardFlux / luminaireFlux : 0;
        const std::optional<double> lampFlux = photometry::LampFlux(record_);
        const double lorl = lampNumber_ < 0 || !lampFlux ? 100.0 : 100.0 * luminaireFlux / *lampFlux;
        line(Fixed(dff, 1));
        line(Fixed(lorl, 1));
        line("1");  // the intensities below carry the candela multiplier already
        line(keyword("[_EULUM_TILT]", "0"));
        if (record_.TiltIncl != kFalse) note("Tilt factors are not carried: EULUMDAT has no such table.");
        if (record_.BallastFactor > 0 && record_.BallastFactor != 1) {
            note("Ballast factor " + PlainNumber(record_.BallastFactor) + " is not carried: EULUMDAT has no such value.");
        }
    }

    void writeLampSets() {
        int sets = 1;
        while (KeywordValue(header_, "[_EULUM_LAMP_" + std::to_string(sets + 1) + "_NUM]")) ++sets;
        line(std::to_string(sets));
        std::string type = keyword("[_EULUM_LAMP_1_TYPE]");
        if (type.empty()) type = keyword("[LAMP]");
        if (type.empty()) type = keyword("[LAMPCAT]");
        textLine(std::to_string(lampNumber_));
        textLine(type);
        line(fluxText_.first);
        textLine(keyword("[_EULUM_LAMP_1_COLOR]"));
        textLine(keyword("[_EULUM_LAMP_1_CRG]"));
        line(PlainNumber(record_.InputWatts));
        for (int k = 2; k <= sets; ++k) {
            for (const char* suffix : kLampSuffixes) {
                textLine(keyword("[_EULUM_LAMP_" + std::to_string(k) + suffix));
            }
        }
    }

    void writeDirectRatios() {
        std::vector<std::string> ratios;
        for (int i = 0; i < kDirectRatioCount; ++i) {
            const std::optional<std::string> value = KeywordValue(header_, "[_EULUM_DR_" + std::to_string(i) + "]");
            if (!value || !ParsedNumber(*value)) break;
            ratios.push_back(*value);
        }
        if (ratios.size() != kDirectRatioCount) {
            ratios.assign(kDirectRatioCount, "0");
            note("Direct ratios written as 0: they need utilisation tables the data does not carry.");
        }
        for (const std::string& ratio : ratios) line(ratio);
    }

    // One value a line; AppendNumberLines with no room beside a value does
    // exactly that, writing straight into the text.
    void writeAngles() {
        std::vector<float> angles(cAngles_.begin(), cAngles_.end());
        angles.insert(angles.end(), record_.VertAngles.begin(), record_.VertAngles.end());
        AppendNumberLines(out_.text, angles, 0);
    }

    void writeIntensities(const Intensities& values) {
        std::vector<std::size_t> stored;
        for (const CPlane& plane : circle_) {
            const double c = plane.angle;
            const bool keep = isym_ == 0 || (isym_ == 1 && stored.empty()) || (isym_ == 2 && c <= 180 + kAngleTolerance) ||
                              (isym_ == 3 && c >= 90 - kAngleTolerance && c <= 270 + kAngleTolerance) ||
                              (isym_ == 4 && c <= 90 + kAngleTolerance);
            if (keep) stored.push_back(plane.source);
        }
        // One value a line, plane after plane: each plane is appended as it
        // stands, or a copy where negative values become 0.
        std::vector<float> clamped;
        for (std::size_t source : stored) {
            const std::vector<float>& row = values.plane(source);
            if (row.empty()) continue;
            if (std::none_of(row.begin(), row.end(), [](float v) { return v < 0; })) {
                AppendNumberLines(out_.text, row, 0);
                continue;
            }
            clamped = row;
            for (float& value : clamped) value = std::max(value, 0.0f);
            negative_ = true;
            AppendNumberLines(out_.text, clamped, 0);
        }
        if (negative_) note("Negative intensities, which the format does not allow, were written as 0.");
    }

    const PhotometricRecord& record_;
    std::string fileName_;
    WrittenText& out_;
    std::vector<HeaderLine> header_;
    std::vector<CPlane> circle_;
    std::vector<double> cAngles_;
    int isym_ = 0;
    int lampNumber_ = 1;
    std::pair<std::string, double> fluxText_;
    std::optional<std::pair<double, double>> fluxes_;
    bool negative_ = false;
};

}  // namespace

int ChooseEulumdatSymmetry(const PhotometricRecord& record) {
    if (record.PhotometricType != 1 || !ShapeFault(record).empty()) return -1;
    const std::vector<CPlane> circle = FullCircle(record);
    const double multiplier = record.CandelaMultiplier > 0 ? record.CandelaMultiplier : 1;
    return Symmetry(circle, Intensities(record, multiplier, 0.0f));  // values only compared: no read-back texts
}

WrittenText WriteEulumdatText(const PhotometricRecord& record, std::string_view fileName) {
    WrittenText out;
    out.text.reserve(4096 + record.Candela.size() * record.VertAngles.size() * 12);
    EulumdatWriting(record, fileName, out).run();
    if (!out.ok()) out.text.clear();
    return out;
}

}  // namespace lumibench
