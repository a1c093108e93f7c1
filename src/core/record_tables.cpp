#include "core/record_tables.h"

#include <charconv>
#include <cmath>

#include "core/path_text.h"

namespace lumibench {

void CopyPhotometricRecord(const RecordTable& src, std::size_t srcIndex, RecordTable& dst,
                           std::size_t dstIndex, bool applyMultiplier) {
    if (dstIndex >= dst.size()) {
        dst.resize(dstIndex + 1);
    }
    // Copy through a value first: src and dst may be the same table.
    const PhotometricRecord from = src.at(srcIndex);
    PhotometricRecord& to = dst[dstIndex];

    to.Filename = from.Filename;
    to.Keywords = from.Keywords;
    to.TiltIncl = from.TiltIncl;
    // Without a tilt block the old tilt fields stay; TiltIncl says they are unused.
    if (from.TiltIncl == kTrue) {
        to.LampGeometry = from.LampGeometry;
        to.TiltPairCount = from.TiltPairCount;
        to.TiltAngles = from.TiltAngles;
        to.TiltFactors = from.TiltFactors;
    }
    to.LampCount = from.LampCount;
    to.LumensPerLamp = from.LumensPerLamp;
    to.CandelaMultiplier = from.CandelaMultiplier;
    to.VertAngleCount = from.VertAngleCount;
    to.HorAngleCount = from.HorAngleCount;
    to.PhotometricType = from.PhotometricType;
    to.UnitsType = from.UnitsType;
    to.Width = from.Width;
    to.Length = from.Length;
    to.Height = from.Height;
    to.BallastFactor = from.BallastFactor;
    to.InputWatts = from.InputWatts;
    to.VertAngles = from.VertAngles;
    to.HorAngles = from.HorAngles;
    to.Candela = from.Candela;
    if (applyMultiplier) {
        const double multiplier = to.CandelaMultiplier;
        for (auto& row : to.Candela) {
            for (double& value : row) {
                value = RoundTo(value * multiplier, 3);
            }
        }
    }
    to.OptionalData = from.OptionalData;
    to.PictureFilename = from.PictureFilename;
    to.Saved = from.Saved;
}

double RoundTo(double value, int decimals) {
    // The value goes through its 15-digit text first, so that a product such as
    // 2.0004999999999997 rounds as the 2.0005 it stands for.
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    double asWritten = value;
    std::from_chars(text, written.ptr, asWritten);
    if (asWritten == 0 || !std::isfinite(asWritten)) {
        return asWritten == 0 ? 0.0 : asWritten;
    }
    const double factor = std::pow(10.0, decimals);
    return std::floor(factor * asWritten + 0.5) / factor;
}

bool AddData(const WorkRecordTable& work, LoadedFileTable& loaded, MessageSink& messages) {
    bool replacedExisting = false;
    for (std::size_t i = 0; i < work.size(); ++i) {
        const std::string key = UpperAscii(FileNameOf(work[i].Filename));
        std::size_t match = loaded.size();
        for (std::size_t j = 0; j < loaded.size(); ++j) {
            if (UpperAscii(FileNameOf(loaded[j].Filename)) == key) {
                match = j;
                break;
            }
        }
        if (match < loaded.size()) {
            CopyPhotometricRecord(work, i, loaded, match, false);
            replacedExisting = true;
            continue;
        }
        // The name match comes first: a loaded name still replaces at the limit.
        if (loaded.size() >= kMaxLoadedFiles) {
            messages.show({kAddDataTitle, kAddDataLimitText, MessageIcon::Exclamation,
                           MessageButtons::Ok, true});
            break;
        }
        CopyPhotometricRecord(work, i, loaded, loaded.size(), false);
    }
    return replacedExisting;
}

void CollectCheckedRecords(const LoadedFileTable& loaded, WorkRecordTable& work) {
    work.clear();
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        if (loaded[i].Checked != kFalse) {
            CopyPhotometricRecord(loaded, i, work, work.size(), false);
        }
    }
}

void StoreCheckStates(LoadedFileTable& loaded, const CheckStateSource& list) {
    const std::size_t lines = list.lineCount();
    for (std::size_t i = 0; i < lines && i < loaded.size(); ++i) {
        loaded[i].Checked = list.isChecked(i) ? kTrue : kFalse;
    }
}

}  // namespace lumibench
