#pragma once
// What the TM-33 XML parse keeps beside the tree: the first fault libxml2
// reports, and the intensity values. The values are nearly every element of a
// document; they are taken straight from the parser instead of becoming tree
// nodes, which is where the time of a tree would go. Each luminous data
// block's values hang on the block's node (its _private) as a PointBatch.

#include <libxml/parser.h>

#include <string>
#include <vector>

#include "formats/tm33/tm33_document.h"

namespace lumibench {

struct XmlFirstError {
    bool seen = false;
    std::string text;
    int line = 0;
};

struct PointBatch {
    std::vector<Tm33Point> points;
    std::string fault;  // the first value that could not be read, with its line
    int faultLine = 0;
};

struct XmlParseState {
    XmlFirstError first;
    std::vector<PointBatch> batches;
    bool inPoint = false;
    int pointDepth = 0;
    int pointLine = 0;
    std::string horizontal, vertical, value;
};

// Points the context's handlers at `state`: errors are kept, not printed, and
// intensity values inside LuminousIntensity, IntensityDistribution and
// LuminousData are collected. `state` must outlive the parse.
void CaptureIntoState(xmlParserCtxt* context, XmlParseState& state);

// The batch the parse hung on a luminous data block; nullptr when none.
PointBatch* BatchOf(XmlParseState& state, const xmlNode* block);

}  // namespace lumibench
