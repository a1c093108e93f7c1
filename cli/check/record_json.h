#pragma once
// A PhotometricRecord as JSON: every field under its own name.
//
// This is the record part of lumibench-check's --json output, which scripts
// depend on; keep field names and shapes stable.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "model/photometric_record.h"

namespace lumibench {

// Fields in declaration order; Keywords as an array of strings, Candela as one row per horizontal angle.
nlohmann::ordered_json RecordToJson(const PhotometricRecord& record);

// A float as the shortest decimal that reads back as the same float, so 0.1f
// is written 0.1 and not as the double it widens to.
nlohmann::ordered_json FloatToJson(float value);

// Text that JSON can carry: valid UTF-8 as it is, anything else read as
// Windows-1252 (the readers' own fallback), so writing never throws.
std::string JsonSafeText(std::string_view text);

// Standard base64 (RFC 4648, with padding) of any bytes.
std::string Base64(std::string_view bytes);

// A file name under `key` as readable text, and, when its bytes are not
// UTF-8, also the exact bytes in base64 under `key` + "_bytes", so a script
// can get back to the file.
void PutFileName(nlohmann::ordered_json& object, const std::string& key, std::string_view name);

}  // namespace lumibench
