#pragma once
// A ".xml" file goes to the reader its root element names.

#include <string>
#include <string_view>

#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

// The root element's name in the start of an XML text (declaration, comments,
// processing instructions and a DOCTYPE skipped); empty when none is found.
std::string XmlRootName(std::string_view head);

// A reader of the dispatch's shape: picks the reader by the root element. A
// root no reader takes is reported by the TM-33 reader, the XML format we read.
void LoadXmlFile(std::string& path, ReaderMessages& message, bool noRepair, ReaderContext& context);

}  // namespace lumibench
