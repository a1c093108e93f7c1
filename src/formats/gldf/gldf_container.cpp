#include "formats/gldf/gldf_container.h"

#include <algorithm>
#include <ctime>
#include <map>
#include <optional>
#include <set>

#include "formats/file_gate.h"
#include "formats/gldf/gldf_messages.h"
#include "formats/gldf/gldf_naming.h"
#include "formats/gldf/gldf_product.h"
#include "formats/gldf/photometry_member.h"
#include "formats/gldf/zip_archive.h"
#include "formats/gldf/zip_name_decoding.h"
#include "formats/text/text_decoding.h"

namespace lumibench {

namespace {

constexpr std::string_view kProductXml = "product.xml";
// Top-level files of the format itself, never named in product.xml.
constexpr std::string_view kMetaInformationXml = "meta-information.xml";

// The folder a file of this content type sits in: "ldc/eulumdat" -> "ldc",
// "other" -> "other".
std::string FolderOf(const std::string& contentType) {
    return contentType.substr(0, contentType.find('/'));
}

// The member's time as FileDateText gives a file's: "YYYY-MM-DD HH:MM:SS", local time.
std::string MemberDateText(std::int64_t modified) {
    if (modified <= 0) return {};
    const std::time_t time = static_cast<std::time_t>(modified);
    std::tm local{};
    if (!localtime_r(&time, &local)) return {};
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) ? std::string(text) : std::string();
}

// Finds the members the product's files name and remembers which were named.
class MemberIndex {
public:
    explicit MemberIndex(const ZipArchive& archive) : archive_(archive) {
        for (std::size_t i = 0; i < archive.members().size(); ++i) {
            const ZipMember& member = archive.members()[i];
            byName_.emplace(member.name, i);
            for (const std::string& reading : OtherCodePageReadings(member.rawName)) byName_.emplace(reading, i);
        }
    }

    std::optional<std::size_t> find(std::string_view name) const {
        const auto found = byName_.find(std::string(name));
        if (found == byName_.end()) return std::nullopt;
        return found->second;
    }

    // The member for a file of the product: in its content type's folder,
    // else (containers made by hand) the one member of that name anywhere.
    std::optional<std::size_t> resolve(const GldfFile& file) {
        std::optional<std::size_t> index = find(FolderOf(file.contentType) + "/" + file.name);
        if (!index) index = find(file.name);
        if (!index) {
            for (std::size_t i = 0; i < archive_.members().size(); ++i) {
                const std::string& name = archive_.members()[i].name;
                if (name.size() > file.name.size() && name.ends_with("/" + file.name)) {
                    if (index) return std::nullopt;  // ambiguous: several folders hold it
                    index = i;
                }
            }
        }
        if (index) referenced_.insert(*index);
        return index;
    }

    void markReferenced(std::size_t index) { referenced_.insert(index); }
    bool referenced(std::size_t index) const { return referenced_.contains(index); }

private:
    const ZipArchive& archive_;
    std::multimap<std::string, std::size_t> byName_;
    std::set<std::size_t> referenced_;
};

class ContainerReading {
public:
    ContainerReading(const std::string& containerPath, bool noRepair, GldfReading& out)
        : containerPath_(containerPath), noRepair_(noRepair), out_(out) {}

    void run(std::string_view bytes) {
        std::string error;
        archive_ = ZipArchive::open(bytes, error);
        if (!archive_) return out_.failure.add(gldf_text::NotAZip(error));
        if (archive_->inflatedTotal() > kMaxPhotometricFileBytes) return out_.failure.add(gldf_text::kContainerTooLarge);
        index_.emplace(*archive_);
        const std::optional<std::size_t> productIndex = index_->find(kProductXml);
        if (!productIndex) return out_.failure.add(gldf_text::kNoProductXml);
        index_->markReferenced(*productIndex);
        if (const auto meta = index_->find(kMetaInformationXml)) index_->markReferenced(*meta);
        const std::optional<std::string> productBytes = archive_->read(*productIndex, error);
        if (!productBytes) return out_.failure.add(error);
        ProductXmlReading product = ReadProductXml(*productBytes);
        if (!product.ok) return out_.failure.add(product.error, product.line);
        product_ = std::move(product.product);

        resolveFiles();
        const std::vector<std::string> used = usedPhotometries();
        for (const std::string& photometryId : used) readPhotometry(photometryId);
        if (out_.dataSets.empty()) out_.failure.add(gldf_text::kNoPhotometry);
        noteUnreferencedMembers();
        makeNamesUnique();
    }

private:
    void resolveFiles() {
        for (const GldfFile& file : product_.files) {
            if (file.type == "url") continue;
            if (IsUnsafeMemberName(file.name)) {
                out_.notes.push_back(gldf_text::UnsafeName(file.name));
                continue;
            }
            if (const auto index = index_->resolve(file)) {
                members_[file.id] = *index;
            } else if (FolderOf(file.contentType) != "ldc") {
                // A missing photometry file is said where its data set is.
                out_.notes.push_back(gldf_text::MissingMember(FolderOf(file.contentType) + "/" + file.name, file.id));
            }
        }
    }

    // Photometry ids in the order the product defines them: those its
    // emitters use, or every one when no emitter names any (early containers).
    std::vector<std::string> usedPhotometries() {
        std::set<std::string> used;
        for (const auto& [emitterId, lights] : product_.emitters) {
            for (const GldfLightEmitter& light : lights) {
                if (product_.photometryFiles.contains(light.photometryId)) {
                    used.insert(light.photometryId);
                } else {
                    out_.notes.push_back(gldf_text::UndefinedPhotometry(emitterId, light.photometryId));
                }
            }
        }
        std::vector<std::string> ordered;
        for (const std::string& id : product_.photometryOrder) {
            if (used.empty() || used.contains(id)) {
                if (std::find(ordered.begin(), ordered.end(), id) == ordered.end()) ordered.push_back(id);
            }
        }
        return ordered;
    }

    GldfDataSetContext contextFor(const std::string& photometryId, const std::string& member) const {
        GldfDataSetContext context{containerPath_, member, {}, {}};
        std::set<std::string> emitters;
        for (const auto& [emitterId, lights] : product_.emitters) {
            for (const GldfLightEmitter& light : lights) {
                if (light.photometryId != photometryId) continue;
                emitters.insert(emitterId);
                for (const std::string& source : light.lightSourceTexts) {
                    if (std::find(context.lightSources.begin(), context.lightSources.end(), source) ==
                        context.lightSources.end()) {
                        context.lightSources.push_back(source);
                    }
                }
            }
        }
        for (const GldfVariant& variant : product_.variants) {
            const bool uses = std::any_of(variant.emitterIds.begin(), variant.emitterIds.end(),
                                          [&emitters](const std::string& id) { return emitters.contains(id); });
            if (uses) context.variants.push_back(&variant);
        }
        return context;
    }

    void readPhotometry(const std::string& photometryId) {
        GldfDataSet set;
        const std::string& fileId = product_.photometryFiles.at(photometryId);
        const auto file = std::find_if(product_.files.begin(), product_.files.end(),
                                       [&fileId](const GldfFile& f) { return f.id == fileId; });
        if (file == product_.files.end()) {
            set.member = fileId;
            set.messages.add(gldf_text::UndefinedFile(photometryId, fileId));
        } else {
            set.member = file->type == "url" ? file->name : FolderOf(file->contentType) + "/" + file->name;
            readMember(*file, set);
        }
        const GldfDataSetContext context = contextFor(photometryId, set.member);
        set.record.Filename = GldfDataSetFilename(containerPath_, GldfDataSetLabel(context));
        if (set.ok()) AddGldfKeywords(product_, context, set.record);
        out_.dataSets.push_back(std::move(set));
    }

    void readMember(const GldfFile& file, GldfDataSet& set) {
        if (FolderOf(file.contentType) != "ldc") {
            return set.messages.add(gldf_text::NotPhotometryType(file.id, file.contentType));
        }
        if (file.type == "url") return set.messages.add(gldf_text::OnlyByUrl(file.name));
        if (IsUnsafeMemberName(file.name)) return set.messages.add(gldf_text::UnsafeName(file.name));
        const auto found = members_.find(file.id);
        if (found == members_.end()) return set.messages.add(gldf_text::MissingMember(set.member, file.id));
        const ZipMember& member = archive_->members()[found->second];
        set.member = member.name;
        const MemberFormat format = PhotometryFormatOf(file.contentType, member.name);
        if (format == MemberFormat::Unsupported) {
            return set.messages.add(gldf_text::UnsupportedPhotometry(member.name, file.contentType));
        }
        std::string error;
        const std::optional<std::string> bytes = archive_->read(found->second, error);
        if (!bytes) return set.messages.add(error);
        bool repairedInMemory = false;
        // As on disk, the EULUMDAT data carry the file's date.
        if (format == MemberFormat::Eulumdat) set.record.FileDateText = MemberDateText(member.modified);
        ReadPhotometryMember(format, *bytes, noRepair_, set.record, set.messages, repairedInMemory);
        if (repairedInMemory) out_.notes.push_back(gldf_text::RepairedInMemory(member.name));
    }

    void noteUnreferencedMembers() {
        for (std::size_t i = 0; i < archive_->members().size(); ++i) {
            const ZipMember& member = archive_->members()[i];
            if (!IsValidUtf8(member.rawName)) out_.notes.push_back(gldf_text::OtherCodePage(member.name));
            if (!member.folder && !index_->referenced(i)) out_.notes.push_back(gldf_text::Unreferenced(member.name));
        }
    }

    // Two data sets of one container must not share a name: the list keeps
    // one entry per name.
    void makeNamesUnique() {
        std::set<std::string> seen;
        for (GldfDataSet& set : out_.dataSets) {
            std::string name = set.record.Filename;
            for (int n = 2; seen.contains(name); ++n) name = set.record.Filename + " (" + std::to_string(n) + ")";
            seen.insert(name);
            set.record.Filename = std::move(name);
        }
    }

    const std::string& containerPath_;
    bool noRepair_;
    GldfReading& out_;
    std::unique_ptr<ZipArchive> archive_;
    std::optional<MemberIndex> index_;
    GldfProduct product_;
    std::map<std::string, std::size_t> members_;  // file id -> member
};

}  // namespace

GldfReading ReadGldfBytes(std::string_view bytes, const std::string& containerPath, bool noRepair) {
    GldfReading reading;
    try {
        ContainerReading(containerPath, noRepair, reading).run(bytes);
    } catch (const std::bad_alloc&) {
        reading.failure.add("Out of memory");
    } catch (const std::exception& failure) {
        reading.failure.add(failure.what());
    }
    return reading;
}

GldfReading ReadGldfFile(const std::string& path, bool noRepair) {
    if (const std::string refusal = RefusalBeforeReading(path); !refusal.empty()) {
        GldfReading reading;
        reading.failure.add(refusal);
        return reading;
    }
    FileBytes bytes;
    std::error_code error;
    if (!bytes.load(path, error)) {
        GldfReading reading;
        reading.failure.add(error.message());
        return reading;
    }
    return ReadGldfBytes(bytes.view(), path, noRepair);
}

}  // namespace lumibench
