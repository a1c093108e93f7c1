#include "thumbnail_options.h"

#include <charconv>

#include "file_arguments.h"
#include "thumbnail_picture.h"

namespace lumibench {

const OptionTable& ThumbnailOptionTable() {
    static const OptionTable table{{{"--size", "-s"}, OptionValue::Number}, HelpOption(), VersionOption()};
    return table;
}

ThumbnailOptions ParseThumbnailArguments(const std::vector<std::string>& args) {
    ThumbnailOptions options;
    auto fail = [&](std::string text) {
        if (options.error.empty()) options.error = std::move(text);
    };
    ParseFileArguments(args, options, ThumbnailOptionTable(), [&](const std::string& arg, std::size_t& i) {
        std::string value;
        if (arg.starts_with("--size=")) {
            value = arg.substr(7);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            fail(arg + " needs a size in pixels");
            return true;
        }
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), options.size);
        if (error != std::errc() || end != value.data() + value.size() || options.size < 1) {
            fail("'" + value + "' is no size in pixels");
        }
        return true;
    });
    if (options.error.empty() && !options.help && !options.version && options.files.size() != 2) {
        fail("an INPUT and an OUTPUT file are needed");
    }
    return options;
}

std::string ThumbnailUsageText() {
    return "Usage: lumibench-thumbnail [-s SIZE] INPUT OUTPUT\n"
           "Draws the polar curves of a photometric file (IES, EULUMDAT, CIBSE TM14) into a PNG\n"
           "picture of SIZE x SIZE pixels (default 128, at most " +
           std::to_string(kLargestThumbnailSize) +
           "), for file managers' thumbnails.\n"
           "Nothing but OUTPUT is written; a file that Lumibench refuses gets no picture.\n"
           "\n"
           "  -s, --size SIZE  the side of the picture in pixels\n"
           "  --help           show this text\n"
           "  --version        show the version\n"
           "\n"
           "Exit status: 0 picture written, 1 file refused or picture not written, 2 usage error.\n";
}

}  // namespace lumibench
