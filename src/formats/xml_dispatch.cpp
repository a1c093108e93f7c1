#include "formats/xml_dispatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>

#include "formats/tm33/tm33_reader.h"
#include "formats/tm33/tm33_xml_parse.h"

namespace lumibench {
namespace {

// Enough for any declaration and comment block before a root element.
constexpr std::size_t kHeadBytes = 64 * 1024;

std::string FileHead(const std::string& path) {
    std::string head(kHeadBytes, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    const ssize_t got = ::read(fd, head.data(), head.size());
    ::close(fd);
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return head;
}

bool IsNameEnd(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '>' || c == '/'; }

}  // namespace

std::string XmlRootName(std::string_view text) {
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at);
        std::string_view close;
        if (rest.starts_with("<?")) {
            close = "?>";
        } else if (rest.starts_with("<!--")) {
            close = "-->";
        } else if (rest.starts_with("<!")) {
            close = ">";  // a DOCTYPE without an internal subset, as documents of ours have
        } else {
            std::size_t end = 1;
            while (end < rest.size() && !IsNameEnd(rest[end])) ++end;
            std::string name(rest.substr(1, end - 1));
            // A prefixed root ("tm:IESTM33-22") is named by its local part.
            if (const std::size_t colon = name.find(':'); colon != std::string::npos) name.erase(0, colon + 1);
            return name;
        }
        const std::size_t end = text.find(close, at + 2);
        if (end == std::string_view::npos) return {};
        at = end + close.size();
    }
    return {};
}

void LoadXmlFile(std::string& path, ReaderMessages& message, bool noRepair, ReaderContext& context) {
    struct RootRow {
        bool (*takes)(std::string_view root);
        void (*reader)(std::string&, ReaderMessages&, bool, ReaderContext&);
    };
    static constexpr std::array<RootRow, 1> rows = {{{IsTm33Root, LoadTm33XmlFile}}};
    const std::string root = XmlRootName(FileHead(path));
    for (const RootRow& row : rows) {
        if (row.takes(root)) return row.reader(path, message, noRepair, context);
    }
    LoadTm33XmlFile(path, message, noRepair, context);
}

}  // namespace lumibench
