#pragma once
// One photometric data set in the IES LM-63 model, whatever format it came from.

#include <cstdint>
#include <string>
#include <vector>

namespace lumibench {

// Flags keep the 16-bit convention that tools and the exchange rely on.
using Flag = std::int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

// Containers are 0-based here; the 1-based numbering survives only where users
// or tools see it (list lines, exchange slot numbers).
struct PhotometricRecord {
    std::string PictureFilename;
    std::string Filename;
    std::vector<std::string> Keywords;
    std::string OtherKeywordText;
    std::string FileDateText;
    std::string TestKeyword;
    std::string DateKeyword;
    std::string ManufacKeyword;
    std::string LumcatKeyword;
    std::string LuminaireKeyword;
    std::string LampcatKeyword;
    std::string LampKeyword;
    std::string BallastKeyword;
    // -1 tilt block in the file, 0 none, anything else a separate tilt file.
    std::int16_t TiltIncl = 0;
    std::int16_t LampGeometry = 0;
    std::int16_t TiltPairCount = 0;
    std::vector<float> TiltAngles;
    std::vector<float> TiltFactors;
    std::int16_t LampCount = 0;
    float LumensPerLamp = 0;  // -1 means absolute photometry
    float CandelaMultiplier = 0;
    std::int16_t VertAngleCount = 0;
    std::int16_t HorAngleCount = 0;
    std::int16_t PhotometricType = 0;  // 1 type C, 2 type B, 3 type A
    std::int16_t UnitsType = 0;        // 1 feet, 2 metres
    float Width = 0;
    float Length = 0;
    float Height = 0;
    float BallastFactor = 0;
    float InputWatts = 0;
    std::vector<float> VertAngles;
    std::vector<float> HorAngles;
    // Candela[h][v]: one row per horizontal angle, one value per vertical angle.
    std::vector<std::vector<double>> Candela;
    double MaxCandela = 0;
    float MaxCandelaVertAngle = 0;
    float MaxCandelaHorAngle = 0;
    std::string OptionalData;
    Flag Saved = kFalse;
    Flag Checked = kFalse;

    bool operator==(const PhotometricRecord&) const = default;
};

using RecordTable = std::vector<PhotometricRecord>;
// The records behind the loaded files list; index i is list line i + 1.
using LoadedFileTable = RecordTable;
// Scratch table: reader output, tool data read back, checked records to send.
using WorkRecordTable = RecordTable;

// The loaded files list holds at most this many records (the exchange has 25 slots).
inline constexpr std::size_t kMaxLoadedFiles = 25;

}  // namespace lumibench
