#include "formats/tm33/tm33_reader.h"

#include "formats/file_date_text.h"
#include "formats/file_gate.h"
#include "formats/text/text_decoding.h"
#include "formats/tm33/atla_json_parse.h"
#include "formats/tm33/tm33_conversion.h"
#include "formats/tm33/tm33_messages.h"
#include "formats/tm33/tm33_xml_parse.h"

namespace lumibench {
namespace {

void Converted(const Tm33Document& document, WorkRecordTable& work, ReaderMessages& message) {
    std::vector<PhotometricRecord> records = ConvertTm33Document(document, message);
    if (records.empty()) {
        work.assign(1, PhotometricRecord{});
    } else {
        work = std::move(records);
    }
}

using BytesReader = void (*)(std::string_view, WorkRecordTable&, ReaderMessages&);

void LoadFile(std::string& path, ReaderMessages& message, ReaderContext& context, BytesReader read) {
    context.work.assign(1, PhotometricRecord{});
    message.clear();
    if (const std::string refusal = RefusalBeforeReading(path); !refusal.empty()) {
        message.add(refusal);
        return;
    }
    FileBytes bytes;
    std::error_code error;
    if (!bytes.load(path, error)) {
        message.add("The file could not be read: " + error.message() + ".");
        return;
    }
    read(bytes.view(), context.work, message);
    const std::string date = FileDateText(path);
    for (std::size_t i = 0; i < context.work.size(); ++i) {
        PhotometricRecord& record = context.work[i];
        record.Filename = i == 0 ? path : path + " \u2013 emitter " + std::to_string(i + 1);
        record.FileDateText = date;
    }
    if (message.empty() && context.work.size() > 1) {
        context.messages.show({kApplicationTitle, tm33_text::SeveralEmitters(context.work.size()),
                               MessageIcon::Information, MessageButtons::Ok, false});
    }
}

}  // namespace

void ReadTm33XmlBytes(std::string_view bytes, WorkRecordTable& work, ReaderMessages& message) {
    Tm33Document document;
    if (!ParseTm33Xml(bytes, document, message)) {
        work.assign(1, PhotometricRecord{});
        return;
    }
    Converted(document, work, message);
}

void ReadAtlaJsonBytes(std::string_view bytes, WorkRecordTable& work, ReaderMessages& message) {
    // JSON is UTF-8; a file saved in the Windows code page is read as the other formats are.
    std::string converted;
    const std::string_view text = DecodedView(bytes, converted);
    Tm33Document document;
    if (!ParseAtlaJson(text, document, message)) {
        work.assign(1, PhotometricRecord{});
        return;
    }
    Converted(document, work, message);
}

void LoadTm33XmlFile(std::string& path, ReaderMessages& message, bool, ReaderContext& context) {
    LoadFile(path, message, context, ReadTm33XmlBytes);
}

void LoadAtlaJsonFile(std::string& path, ReaderMessages& message, bool, ReaderContext& context) {
    LoadFile(path, message, context, ReadAtlaJsonBytes);
}

}  // namespace lumibench
