#pragma once
// Names that the host and every tool address in the shared settings store.

#include <array>
#include <string_view>

namespace lumibench {

// Every exchange value lives under this application name.
inline constexpr std::string_view kExchangeApp = "Lumibench_PE";
// The first host instance's section; further instances use kSectionPrefix + n.
inline constexpr std::string_view kFirstExchangeSection = "Data Exchange";
inline constexpr std::string_view kNumberedExchangeSectionPrefix = "Data Exchange_";

// The host's mailbox; also handed to every tool on its command line.
inline constexpr std::string_view kHostKey = "LumibenchPE";
// A tool instance's mailbox is ActName + kMailboxSeparator + instance id.
inline constexpr std::string_view kMailboxSeparator = "|";

// Slots are numbered 1 to kExchangeSlotCount; the key is field name + slot number.
inline constexpr int kExchangeSlotCount = 25;

inline constexpr std::string_view kSlotFilename = "Filename";
inline constexpr std::string_view kSlotKeywords = "Keywords";
inline constexpr std::string_view kSlotKeywordData = "KeywordData";
inline constexpr std::string_view kSlotTiltIncl = "TiltIncl";
inline constexpr std::string_view kSlotTiltData = "TiltData";
inline constexpr std::string_view kSlotOtherData = "OtherData";
inline constexpr std::string_view kSlotHorAngles = "HorAngles";
inline constexpr std::string_view kSlotVertAngles = "VertAngles";
inline constexpr std::string_view kSlotCandela = "Candela";
inline constexpr std::string_view kSlotOptionalData = "OptionalData";
inline constexpr std::string_view kSlotPictureFilename = "PictureFilename";

// The eleven values of a slot, in the order they are written.
inline constexpr std::array<std::string_view, 11> kSlotFieldNames = {
    kSlotFilename,  kSlotKeywords,   kSlotKeywordData, kSlotTiltIncl,
    kSlotTiltData,  kSlotOtherData,  kSlotHorAngles,   kSlotVertAngles,
    kSlotCandela,   kSlotOptionalData, kSlotPictureFilename};

// Verbs a tool writes to the host key ("*" marks unsaved data, CLOSE asks to be closed).
namespace verbs {
inline constexpr std::string_view kSendNewData = "SENDNEWDATA";
inline constexpr std::string_view kSendUpdatedData = "SENDUPDATEDDATA";
inline constexpr std::string_view kSendSavedData = "SENDSAVEDDATA";
inline constexpr std::string_view kSendRenamedData = "SENDRENAMEDDATA";
inline constexpr std::string_view kRefreshData = "REFRESHDATA";
inline constexpr std::string_view kReturnClose = "RETURNCLOSE";
inline constexpr std::string_view kCloseRemove = "CLOSEREMOVE";
inline constexpr std::string_view kRefreshLoadedCount = "REFRESHLOADEDCOUNT";
}  // namespace verbs

// Commands the host writes to a tool's mailbox.
namespace tool_commands {
inline constexpr std::string_view kStart = "Start";
inline constexpr std::string_view kUnsaved = "Unsaved";
inline constexpr std::string_view kMoveWin = "MoveWin";
inline constexpr std::string_view kClose = "Close";
inline constexpr std::string_view kDataChanged = "DataChanged";
inline constexpr std::string_view kDeleteFile = "DeleteFile";
inline constexpr std::string_view kLoadedCount = "LoadedCount";
}  // namespace tool_commands

}  // namespace lumibench
