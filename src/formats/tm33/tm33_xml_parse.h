#pragma once
// TM-33 XML (TM-33-23 "IESTM33-22", TM-33-18 "IESTM33", ATLA S001
// "LuminaireOpticalData") read into a Tm33Document. Both layouts of the
// intensity data are taken: LuminousData/LuminousIntensity/IntData with h and
// v, and IntensityDistribution or LuminousData holding IntensityData with
// horz and vert.

#include <string>
#include <string_view>
#include <vector>

#include "formats/reader_messages.h"
#include "formats/tm33/tm33_document.h"

namespace lumibench {

// The root element names a TM-33 document may have.
bool IsTm33Root(std::string_view name);

// False with the fault in `message` (with its line) when the bytes are not
// well-formed XML or not a TM-33 document.
bool ParseTm33Xml(std::string_view bytes, Tm33Document& document, ReaderMessages& message);

// The children of the element named `name` inside `fragment`
// ("<TM33Optional><Emitter>...</Emitter></TM33Optional>"), each as its name
// and its serialised XML, for the writer.
struct XmlChild {
    std::string name;
    std::string xml;
};
std::vector<XmlChild> XmlChildrenOf(std::string_view fragment, std::string_view name);

}  // namespace lumibench
