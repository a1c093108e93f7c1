#include "core/record_tables.h"

#include <gtest/gtest.h>

namespace lumibench {
namespace {

PhotometricRecord MakeRecord(const std::string& filename, double candela = 100) {
    PhotometricRecord r;
    r.Filename = filename;
    r.Keywords = {"[TEST] 1", "[MANUFAC] Maker"};
    r.TestKeyword = "1";
    r.ManufacKeyword = "Maker";
    r.FileDateText = "2026-01-01 00:00:00";
    r.LampCount = 1;
    r.LumensPerLamp = 1000;
    r.CandelaMultiplier = 1;
    r.VertAngleCount = 2;
    r.HorAngleCount = 1;
    r.PhotometricType = 1;
    r.UnitsType = 2;
    r.BallastFactor = 1;
    r.VertAngles = {0, 90};
    r.HorAngles = {0};
    r.Candela = {{candela, candela / 2}};
    r.MaxCandela = candela;
    r.Saved = kTrue;
    r.Checked = kTrue;
    return r;
}

TEST(CopyPhotometricRecord, CopiesOnlyTheExchangedFields) {
    RecordTable src{MakeRecord("/a/x.ies")};
    src[0].OptionalData = "opt";
    src[0].PictureFilename = "/pic.png";
    RecordTable dst;
    CopyPhotometricRecord(src, 0, dst, 2, false);
    ASSERT_EQ(dst.size(), 3u);
    EXPECT_EQ(dst[0], PhotometricRecord{});
    const PhotometricRecord& r = dst[2];
    EXPECT_EQ(r.Filename, "/a/x.ies");
    EXPECT_EQ(r.Keywords, src[0].Keywords);
    EXPECT_EQ(r.Candela, src[0].Candela);
    EXPECT_EQ(r.OptionalData, "opt");
    EXPECT_EQ(r.PictureFilename, "/pic.png");
    EXPECT_EQ(r.Saved, kTrue);
    // Never copied: keyword values, file date, maximum and the check state.
    EXPECT_EQ(r.TestKeyword, "");
    EXPECT_EQ(r.ManufacKeyword, "");
    EXPECT_EQ(r.FileDateText, "");
    EXPECT_EQ(r.MaxCandela, 0);
    EXPECT_EQ(r.Checked, kFalse);
}

TEST(CopyPhotometricRecord, TiltFieldsFollowTiltIncl) {
    RecordTable dst{MakeRecord("/a/old.ies")};
    dst[0].TiltIncl = kTrue;
    dst[0].LampGeometry = 1;
    dst[0].TiltPairCount = 2;
    dst[0].TiltAngles = {0, 90};
    dst[0].TiltFactors = {1, 0.5f};

    RecordTable noTilt{MakeRecord("/a/new.ies")};
    CopyPhotometricRecord(noTilt, 0, dst, 0, false);
    EXPECT_EQ(dst[0].TiltIncl, 0);
    EXPECT_EQ(dst[0].TiltPairCount, 2);  // old data kept, but ignored
    EXPECT_EQ(dst[0].TiltAngles, (std::vector<float>{0, 90}));

    RecordTable withTilt{MakeRecord("/a/t.ies")};
    withTilt[0].TiltIncl = kTrue;
    withTilt[0].TiltPairCount = 1;
    withTilt[0].TiltAngles = {45};
    withTilt[0].TiltFactors = {0.9f};
    CopyPhotometricRecord(withTilt, 0, dst, 0, false);
    EXPECT_EQ(dst[0].TiltAngles, (std::vector<float>{45}));
    EXPECT_EQ(dst[0].TiltFactors, (std::vector<float>{0.9f}));
}

TEST(CopyPhotometricRecord, AppliesTheDestinationMultiplierRoundedToThreeDecimals) {
    RecordTable src{MakeRecord("/a/x.ies")};
    src[0].CandelaMultiplier = 2;
    src[0].Candela = {{12.3456, 0}};
    RecordTable dst;
    CopyPhotometricRecord(src, 0, dst, 0, true);
    EXPECT_DOUBLE_EQ(dst[0].Candela[0][0], 24.691);
    EXPECT_EQ(dst[0].Candela[0][1], 0);
    EXPECT_EQ(dst[0].CandelaMultiplier, 2);
}

TEST(CopyPhotometricRecord, RecordWithoutKeywordsCopiesEmpty) {
    RecordTable src{MakeRecord("/a/x.ies")};
    src[0].Keywords.clear();
    RecordTable dst{MakeRecord("/a/y.ies")};
    CopyPhotometricRecord(src, 0, dst, 0, false);
    EXPECT_TRUE(dst[0].Keywords.empty());
}

TEST(CopyPhotometricRecord, WithinOneTable) {
    RecordTable table{MakeRecord("/a/x.ies", 10), MakeRecord("/a/y.ies", 20)};
    CopyPhotometricRecord(table, 1, table, 0, false);
    EXPECT_EQ(table[0].Filename, "/a/y.ies");
    EXPECT_EQ(table[0].Candela[0][0], 20);
}

TEST(RoundTo, HalfUpTowardsPlusInfinity) {
    EXPECT_EQ(RoundTo(-2.5, 0), -2);
    EXPECT_EQ(RoundTo(2.5, 0), 3);
    EXPECT_EQ(RoundTo(0, 3), 0);
    EXPECT_DOUBLE_EQ(RoundTo(1.0005, 3), 1.001);
    EXPECT_DOUBLE_EQ(RoundTo(2.0004999999999997, 3), 2.001);  // as its text reads
    EXPECT_DOUBLE_EQ(RoundTo(-1.2345, 3), -1.234);
    EXPECT_DOUBLE_EQ(RoundTo(24.6912, 3), 24.691);
}

class FixedChecks : public CheckStateSource {
public:
    explicit FixedChecks(std::vector<bool> states) : states_(std::move(states)) {}
    std::size_t lineCount() const override { return states_.size(); }
    bool isChecked(std::size_t line) const override { return states_.at(line); }

private:
    std::vector<bool> states_;
};

TEST(AddData, SameNameFromAnotherFolderReplacesInPlace) {
    RecordingMessageSink messages;
    LoadedFileTable loaded{MakeRecord("/a/one.ies", 1), MakeRecord("/a/two.ies", 2)};
    WorkRecordTable work{MakeRecord("/b/ONE.IES", 3)};
    EXPECT_TRUE(AddData(work, loaded, messages));
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].Filename, "/b/ONE.IES");
    EXPECT_EQ(loaded[0].Candela[0][0], 3);
    EXPECT_TRUE(messages.shown.empty());

    WorkRecordTable fresh{MakeRecord("/b/three.ies")};
    EXPECT_FALSE(AddData(fresh, loaded, messages));
    EXPECT_EQ(loaded.size(), 3u);
}

TEST(AddData, LimitOf25RefusesNewNamesButStillReplaces) {
    RecordingMessageSink messages;
    LoadedFileTable loaded;
    for (int i = 0; i < 24; ++i) loaded.push_back(MakeRecord("/a/f" + std::to_string(i) + ".ies"));

    WorkRecordTable two{MakeRecord("/a/new1.ies"), MakeRecord("/a/new2.ies"),
                        MakeRecord("/b/f3.ies", 7)};
    EXPECT_FALSE(AddData(two, loaded, messages));
    EXPECT_EQ(loaded.size(), 25u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Add Data");
    EXPECT_EQ(messages.shown[0].text,
              "You have loaded the maximum allowable number of photometric files. If you wish to "
              "load additional photometric files, please delete files from the loaded files list.");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    // The third work record came after the refusal, so it was dropped.
    EXPECT_EQ(loaded[3].Filename, "/a/f3.ies");

    messages.shown.clear();
    WorkRecordTable known{MakeRecord("/c/F3.ies", 9)};
    EXPECT_TRUE(AddData(known, loaded, messages));
    EXPECT_EQ(loaded.size(), 25u);
    EXPECT_EQ(loaded[3].Candela[0][0], 9);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(CheckedRecords, StoreAndCollectFollowTheList) {
    LoadedFileTable loaded{MakeRecord("/a/1.ies", 1), MakeRecord("/a/2.ies", 2),
                           MakeRecord("/a/3.ies", 3)};
    StoreCheckStates(loaded, FixedChecks({false, true}));  // fewer lines than records
    EXPECT_EQ(loaded[0].Checked, kFalse);
    EXPECT_EQ(loaded[1].Checked, kTrue);
    EXPECT_EQ(loaded[2].Checked, kTrue);

    WorkRecordTable work{MakeRecord("/stale.ies")};
    CollectCheckedRecords(loaded, work);
    ASSERT_EQ(work.size(), 2u);
    EXPECT_EQ(work[0].Filename, "/a/2.ies");
    EXPECT_EQ(work[1].Filename, "/a/3.ies");
    EXPECT_EQ(work[1].Candela[0][0], 3);  // no multiplier applied
}

}  // namespace
}  // namespace lumibench
