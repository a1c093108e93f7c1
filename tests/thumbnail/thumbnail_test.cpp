// lumibench-thumbnail run as a file manager runs it: the picture of each
// format, no picture and a failing status for refused files, nothing written
// but the output, the sandbox, and the thumbnailer entry's keys.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "program_run.h"

namespace {

namespace fs = std::filesystem;
using lumibench::testing::BuiltProgram;
using lumibench::testing::ProgramRun;
using lumibench::testing::RunProgram;

const fs::path kSource = LUMIBENCH_SOURCE_DIR;
const fs::path kSamples = kSource / "data/samples";

ProgramRun Thumbnail(const QStringList& arguments) {
    return RunProgram(QString::fromStdString(BuiltProgram("lumibench-thumbnail")), arguments, 30000);
}

// Pixels of the two curves' colours: red (the first section) and blue.
struct Colours {
    int red = 0, blue = 0, redAbove = 0, blueAbove = 0;
};
Colours CountCurveColours(const QImage& image) {
    Colours c;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (p.alpha() < 200) continue;
            const bool above = y < image.height() / 2 - image.height() / 20;
            if (p.red() > 150 && p.green() < 110 && p.blue() < 110) c.red++, c.redAbove += above;
            if (p.blue() > 150 && p.red() < 110 && p.green() < 140) c.blue++, c.blueAbove += above;
        }
    }
    return c;
}

struct FormatCase {
    const char* file;
    bool downwardOnly;  // the sample sends no light above the horizontal
};

TEST(Thumbnail, EveryFormatGivesTheTwoCurvesAtTheAskedSize) {
    QTemporaryDir out;
    const FormatCase cases[] = {{"downlight.ies", true},          {"downlight_isym1.ldt", true},
                                {"street_light.cib", true},       {"floodlight_type_b.ies", false},
                                {"wall_washer_isym2.ldt", true}};
    for (const FormatCase& row : cases) {
        for (int size : {128, 256}) {
            SCOPED_TRACE(std::string(row.file) + " at " + std::to_string(size));
            const QString png = out.filePath(QString("%1-%2.png").arg(row.file).arg(size));
            const ProgramRun run = Thumbnail({"-s", QString::number(size),
                                              QString::fromStdString((kSamples / row.file).string()), png});
            ASSERT_EQ(run.status, 0) << run.err;
            const QImage image(png, "png");
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), QSize(size, size));
            // The corners lie outside the disc: the background shows through.
            EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
            EXPECT_EQ(image.pixelColor(size - 1, size - 1).alpha(), 0);
            const Colours c = CountCurveColours(image);
            EXPECT_GT(c.red, size / 4) << "no C0-C180 curve";
            EXPECT_GT(c.blue, size / 4) << "no C90-C270 curve";
            if (row.downwardOnly) {
                // Nadir is at the bottom, as on a datasheet.
                EXPECT_EQ(c.redAbove + c.blueAbove, 0);
            }
        }
    }
}

TEST(Thumbnail, RefusedFilesGetNoPictureAndAFailingStatus) {
    QTemporaryDir dir;
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(dir.filePath(name).toStdString(), std::ios::binary) << text;
        return dir.filePath(name);
    };
    const QString refused[] = {
        write("garbage.ies", "this is no photometric file\r\n"),
        write("empty.ldt", ""),
        write("truncated.ies", "IESNA:LM-63-2002\r\nTILT=NONE\r\n1 1200 1 19\r\n"),
        write("notes.txt", "IESNA:LM-63-2002\r\n"),
        dir.filePath("missing.ies"),
    };
    for (const QString& input : refused) {
        SCOPED_TRACE(input.toStdString());
        const QString png = dir.filePath("out.png");
        const ProgramRun run = Thumbnail({"-s", "128", input, png});
        EXPECT_EQ(run.status, 1);
        EXPECT_FALSE(fs::exists(png.toStdString()));
    }
    // Usage errors: no size, no output.
    const QString sample = QString::fromStdString((kSamples / "downlight.ies").string());
    for (const QStringList& arguments : {QStringList{"-s", "x", sample, dir.filePath("a.png")},
                                         QStringList{"-s", "128", sample}, QStringList{"--colour", sample, "b.png"}}) {
        EXPECT_EQ(Thumbnail(arguments).status, 2) << arguments.join(' ').toStdString();
    }
}

// Nothing but the output is written: no "_Repaired" copy of a badly
// delimited file, no temporary file left behind.
TEST(Thumbnail, WritesNothingButItsOutput) {
    QTemporaryDir in, out, tmp;
    for (const char* name : {"downlight_lf_line_ends.ies", "street_light.cib"}) {
        fs::copy_file(kSamples / name, in.filePath(name).toStdString());
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", tmp.path());
    for (const char* name : {"downlight_lf_line_ends.ies", "street_light.cib"}) {
        const ProgramRun run = RunProgram(QString::fromStdString(BuiltProgram("lumibench-thumbnail")),
                                          {"-s", "128", in.filePath(name), out.filePath(QString(name) + ".png")},
                                          30000, environment);
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(in.path().toStdString()), fs::directory_iterator()), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path().toStdString()), fs::directory_iterator()), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path().toStdString()), fs::directory_iterator()), 0);
}

// As GNOME runs thumbnailers: a fresh namespace without network, the system
// read-only, the input alone visible, and one folder to write the output in.
TEST(Thumbnail, RunsInASandboxThatOnlyShowsTheInput) {
    const QString bwrap = QStandardPaths::findExecutable("bwrap");
    if (bwrap.isEmpty()) GTEST_SKIP() << "bubblewrap is not installed";
    QTemporaryDir out;
    const std::string program = BuiltProgram("lumibench-thumbnail");
    QStringList arguments{"--ro-bind", "/usr", "/usr", "--symlink", "usr/lib", "/lib",
                          "--symlink", "usr/lib64", "/lib64", "--symlink", "usr/bin", "/bin",
                          "--ro-bind", "/etc/ld.so.cache", "/etc/ld.so.cache",
                          "--proc", "/proc", "--dev", "/dev", "--tmpfs", "/tmp",
                          "--ro-bind", QString::fromStdString(program), "/app/lumibench-thumbnail",
                          "--ro-bind", QString::fromStdString((kSamples / "street_light.cib").string()),
                          "/input/street_light.cib", "--bind", out.path(), "/output",
                          "--unshare-all", "--die-with-parent", "--clearenv", "--chdir", "/",
                          "/app/lumibench-thumbnail", "-s", "256", "/input/street_light.cib",
                          "/output/thumbnail.png"};
    const ProgramRun run = RunProgram(bwrap, arguments, 30000);
    if (run.status != 0 && run.err.find("bwrap:") == 0) GTEST_SKIP() << "no namespaces here: " << run.err;
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(QImage(out.filePath("thumbnail.png")).size(), QSize(256, 256));
}

// The entry file managers read: the keys of a thumbnailer entry, the command
// line they expand, and every file type the program declares.
TEST(Thumbnail, EntryNamesTheProgramAndEveryFileType) {
    std::ifstream entry(kSource / "data/desktop/lumibench.thumbnailer");
    ASSERT_TRUE(entry);
    std::string line, group;
    std::map<std::string, std::string> keys;
    while (std::getline(entry, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[') {
            group = line;
            continue;
        }
        const auto eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        EXPECT_TRUE(keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second) << "twice: " << line;
    }
    EXPECT_EQ(group, "[Thumbnailer Entry]");
    EXPECT_EQ(keys, (std::map<std::string, std::string>{{"TryExec", "lumibench-thumbnail"},
                                                        {"Exec", "lumibench-thumbnail -s %s %i %o"},
                                                        {"MimeType", keys["MimeType"]}}));
    std::set<std::string> listed;
    std::stringstream types(keys["MimeType"]);
    for (std::string type; std::getline(types, type, ';');) listed.insert(type);

    std::ifstream xml(kSource / "data/desktop/lumibench.xml");
    const std::string text{std::istreambuf_iterator<char>(xml), std::istreambuf_iterator<char>()};
    std::set<std::string> declared;
    const QRegularExpression type(R"re(<mime-type type="([^"]+)")re");
    for (auto it = type.globalMatch(QString::fromStdString(text)); it.hasNext();) {
        declared.insert(it.next().captured(1).toStdString());
    }
    EXPECT_FALSE(declared.empty());
    EXPECT_EQ(listed, declared);
    EXPECT_EQ(keys["MimeType"].back(), ';');
}

}  // namespace
