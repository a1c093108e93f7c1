#pragma once
// TM-33 XML (TM-33-23, TM-33-18, ATLA S001) and ATLA S001-A JSON files read
// into the IES record model, one record per emitter. Records after the first
// are named after the file and their emitter ("lamp.xml – emitter 2"); a
// document of several emitters says so through the context's message sink.

#include <string>
#include <string_view>

#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

// Readers of the dispatch's shape. XML and JSON need no line-end repair, so
// `noRepair` changes nothing and `path` stays as it is.
void LoadTm33XmlFile(std::string& path, ReaderMessages& message, bool noRepair, ReaderContext& context);
void LoadAtlaJsonFile(std::string& path, ReaderMessages& message, bool noRepair, ReaderContext& context);

// The same over bytes in memory: `work` gets one record per emitter, or one
// partial record after a failure.
void ReadTm33XmlBytes(std::string_view bytes, WorkRecordTable& work, ReaderMessages& message);
void ReadAtlaJsonBytes(std::string_view bytes, WorkRecordTable& work, ReaderMessages& message);

}  // namespace lumibench
