#pragma once
// What a reader needs besides the file: the table it fills and the services it may use.
//
// Every reader has the shape
//   void LoadXxxFile(std::string& path, ReaderMessages& message, bool noRepair,
//                    ReaderContext& context);
// It empties context.work and fills its first record; an empty message means
// success. `path` changes to the repaired copy's path when one was written.

#include <filesystem>

#include "core/message_sink.h"
#include "model/photometric_record.h"

namespace lumibench {

struct ReaderContext {
    WorkRecordTable& work;
    MessageSink& messages;               // the repair announcement goes here
    std::filesystem::path userDataFolder;  // where the TM14 reader keeps "TM14.tmp"
};

}  // namespace lumibench
