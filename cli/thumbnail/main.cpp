// lumibench-thumbnail: the thumbnailer that file managers run for photometric
// files (data/desktop/lumibench.thumbnailer). It needs no display, no settings
// store and no network, and writes nothing but its output, so it also runs in
// the sandbox that allows it to read the input alone.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <stdlib.h>

#include "thumbnail_file.h"
#include "thumbnail_options.h"

namespace {

// A private folder for a reader's temporary files (the TM14 re-sort), removed
// on the way out; empty when none can be made.
class ScratchFolder {
public:
    ScratchFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lumibench-thumbnail-XXXXXX";
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
    const lumibench::ThumbnailOptions options =
        lumibench::ParseThumbnailArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        std::cout << lumibench::ThumbnailUsageText();
        return 0;
    }
    if (options.version) {
        std::cout << "lumibench-thumbnail " LUMIBENCH_VERSION "\n";
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << "lumibench-thumbnail: " << options.error << "\n" << lumibench::ThumbnailUsageText();
        return 2;
    }
    const ScratchFolder scratch;
    const lumibench::ThumbnailResult result =
        lumibench::WriteThumbnail(options.files[0], options.files[1], options.size, scratch.path());
    if (!result.written) {
        std::cerr << "lumibench-thumbnail: " << options.files[0] << ": " << result.error << "\n";
        return 1;
    }
    return 0;
}
