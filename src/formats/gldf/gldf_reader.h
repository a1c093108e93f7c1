#pragma once
// The GLDF container (".GLDF") as the load dispatch calls it: every
// photometry that loads becomes one record of the work table.

#include <string>

#include "formats/gldf/gldf_container.h"
#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

// Empties context.work and fills it with one record per photometry that
// loaded. When none did, `message` says why (the container's fault, or each
// photometry's own messages under its member's name). When some did, what
// kept the others out and the container's warnings are shown as one notice
// through context.messages and `message` stays empty.
void LoadGldfFile(std::string& path, ReaderMessages& message, bool noRepair, ReaderContext& context);

// The failure text of a container none of whose photometry loaded.
ReaderMessages GldfFailureMessages(const GldfReading& reading);

// The notice for a container that loaded in part or with warnings; empty when there is nothing to say.
std::string GldfNoticeText(const GldfReading& reading);

}  // namespace lumibench
