#include "toolhost/product_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::TempFolder;

TEST(UnscrambleLine, AppliesTheRepeatingKeyToEveryCharacter) {
    EXPECT_EQ(UnscrambleLine("", "6"), "");
    EXPECT_EQ(UnscrambleLine("ABC", "6"), std::string({'A' ^ '6', 'B' ^ '6', 'C' ^ '6'}));
    EXPECT_EQ(UnscrambleLine("ABCD", "12"), std::string({'A' ^ '1', 'B' ^ '2', 'C' ^ '1', 'D' ^ '2'}));
    const std::string line = "[OEMNAME] \"a, b\" 6 \xE9";
    EXPECT_EQ(UnscrambleLine(UnscrambleLine(line, "6"), "6"), line);
    EXPECT_TRUE(ScramblesToLineEnd("a;b", std::string(1, kProductListKey)));
    EXPECT_TRUE(ScramblesToLineEnd("<", std::string(1, kProductListKey)));
    EXPECT_FALSE(ScramblesToLineEnd("https://example.org/a?b=c&d", std::string(1, kProductListKey)));
}

TEST(ParseProductListText, PicksTheSectionsOutOfTheItems) {
    struct Row {
        const char* name;
        std::string text;
        ProductList expected;
    };
    const Row rows[] = {
        {"plain", "[OEMNAME]\r\nAcme Lighting\r\n[WEB]\r\nw1\r\nw2\r\nw3\r\n",
         {"Acme Lighting", "w1", "w2", "w3"}},
        {"web first, blanks around items", "  [WEB]  \r\nw1\r\nw2\r\nw3\r\n[OEMNAME]\r\n Name, Inc \r\n",
         {" Name, Inc ", "w1", "w2", "w3"}},
        {"an item after a comma", "x,[OEMNAME]\r\nN\r\n", {"N", "", "", ""}},
        {"quoted commas stay in one item", "\"a,[OEMNAME]\"\r\nN\r\n", {"", "", "", ""}},
        {"quoted section name", "\"[OEMNAME]\"\r\nN\r\n", {"N", "", "", ""}},
        {"the later section wins", "[OEMNAME]\r\nA\r\n[OEMNAME]\r\nB\r\n", {"B", "", "", ""}},
        {"short web section", "[WEB]\r\nw1\r\n", {"", "w1", "", ""}},
        {"nothing", "", {}},
        {"LF line ends", "[OEMNAME]\nN\n", {"N", "", "", ""}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ParseProductListText(row.text), row.expected) << row.name;
    }
}

// Writes the product list with the project's own command, as an edition would ship it.
int RunProductListCommand(const std::vector<std::string>& args) {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    if (!bin) return -1;
    std::string command = std::string("'") + bin + "/lumibench-productlist'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LoadProductList, ReadsTheFileWrittenByTheCommandAndLeavesThePlainCopy) {
    TempFolder program;
    TempFolder data;
    const std::string file = (program / kProductListFileName).string();
    ASSERT_EQ(RunProductListCommand({"create", file, "Acme, Lighting 6", "https://a.example/1",
                                     "https://a.example/support?x=1&y=2", "https://a.example/"}),
              0);
    EXPECT_NE(TempFolder::read(file).find('\n'), std::string::npos);
    EXPECT_EQ(TempFolder::read(file).find("Acme"), std::string::npos);  // stored scrambled

    const ProductList list = LoadProductList(program.path(), data.path());
    EXPECT_EQ(list, (ProductList{"Acme, Lighting 6", "https://a.example/1",
                                 "https://a.example/support?x=1&y=2", "https://a.example/"}));
    EXPECT_EQ(TempFolder::read(data / kProductListPlainFileName),
              "[OEMNAME]\r\nAcme, Lighting 6\r\n[WEB]\r\nhttps://a.example/1\r\n"
              "https://a.example/support?x=1&y=2\r\nhttps://a.example/\r\n");

    // A line that would scramble to a line end is refused and nothing is written.
    const std::string refused = (program / "refused.dat").string();
    EXPECT_EQ(RunProductListCommand({"create", refused, "A;B", "1", "2", "3"}), 1);
    EXPECT_FALSE(std::filesystem::exists(refused));
}

TEST(LoadProductList, MissingFileIsAnEmptyListWithoutAPlainCopy) {
    TempFolder program;
    TempFolder data;
    EXPECT_EQ(LoadProductList(program.path(), data.path()), ProductList{});
    EXPECT_FALSE(std::filesystem::exists(data / kProductListPlainFileName));
    // A data folder that cannot be made does not stop the list from being read.
    program.write(kProductListFileName, UnscrambleLine("[OEMNAME]", "6") + "\n" +
                                            UnscrambleLine("N", "6") + "\n");
    EXPECT_EQ(LoadProductList(program.path(), "/proc/no-such-folder").OemName, "N");
}

}  // namespace
}  // namespace lumibench
