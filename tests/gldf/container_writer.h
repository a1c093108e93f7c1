#pragma once
// Writes small zip containers for tests: each member stored or deflated,
// optionally encrypted, under any name (even one no tool should write).

#include <zip.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace lumibench::testing {

struct ContainerMember {
    std::string name;
    std::string bytes;
    bool encrypted = false;
};

inline void WriteContainer(const std::string& path, const std::vector<ContainerMember>& members) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) throw std::runtime_error("cannot create " + path);
    for (const ContainerMember& member : members) {
        zip_source_t* source = zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, member.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) throw std::runtime_error("cannot add " + member.name);
        if (member.encrypted && zip_file_set_encryption(archive, index, ZIP_EM_AES_256, "secret") != 0) {
            throw std::runtime_error("cannot encrypt " + member.name);
        }
    }
    if (zip_close(archive) != 0) throw std::runtime_error("cannot write " + path);
}

// A product.xml whose one emitter uses each of `files` (file id, content
// type, type, name) as a photometry, and one variant named `variant`.
inline std::string ProductXml(const std::vector<std::vector<std::string>>& files, const std::string& variant = "V1") {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Root>\n<Header><Manufacturer>Maker</Manufacturer>"
                      "</Header>\n<GeneralDefinitions>\n<Files>\n";
    for (const auto& f : files) {
        xml += "<File id=\"" + f[0] + "\" contentType=\"" + f[1] + "\" type=\"" + f[2] + "\">" + f[3] + "</File>\n";
    }
    xml += "</Files>\n<Photometries>\n";
    for (const auto& f : files) {
        xml += "<Photometry id=\"p_" + f[0] + "\"><PhotometryFileReference fileId=\"" + f[0] + "\"/></Photometry>\n";
    }
    xml += "</Photometries>\n<Emitters><Emitter id=\"e\">\n";
    for (const auto& f : files) {
        xml += "<ChangeableLightEmitter><PhotometryReference photometryId=\"p_" + f[0] +
               "\"/></ChangeableLightEmitter>\n";
    }
    xml += "</Emitter></Emitters>\n</GeneralDefinitions>\n<ProductDefinitions><ProductMetaData><Name><Locale "
           "language=\"en\">Lamp</Locale></Name></ProductMetaData>\n<Variants><Variant id=\"v\"><Name><Locale "
           "language=\"en\">" + variant + "</Locale></Name><Geometry><EmitterReference emitterId=\"e\"/></Geometry>"
           "</Variant></Variants></ProductDefinitions>\n</Root>\n";
    return xml;
}

}  // namespace lumibench::testing
