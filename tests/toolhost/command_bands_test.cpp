#include "toolhost/command_bands.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <gtest/gtest.h>

#include "fakes.h"

namespace lumibench {
namespace {

using Ids = std::vector<std::string>;

ToolCatalogue Catalogue(const std::vector<std::pair<std::string, int>>& tools) {
    ToolCatalogue catalogue;
    for (const auto& [name, type] : tools) {
        ToolEntry entry;
        entry.ActName = name;
        entry.Path = "/opt/tools";
        entry.DisplayName = name + " caption";
        entry.ToolTip = name + " tip";
        entry.ToolType = static_cast<std::int16_t>(type);
        catalogue.append(entry);
    }
    return catalogue;
}

// The IDs a realised band shows, separators as "Sep" and sub-menus by their menu's name.
Ids Shown(QWidget* band) {
    Ids ids;
    for (QAction* action : band->actions()) {
        if (action->menu()) {
            ids.push_back(action->menu()->objectName().toStdString());
        } else {
            ids.push_back(action->objectName().toStdString());
        }
    }
    return ids;
}

TEST(PlanCommandBands, GroupsToolsByTypeInTheFixedOrder) {
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, int>> tools;
        Ids toolbar, file, toolsMenu;
    };
    const Row rows[] = {
        {"one loading tool and one data tool",
         {{"Tool_Open", 0}, {"Tool_ViewPE", 2}},
         {"Tool_Open", "ID_ClosePhotoFile", "ID_CloseAllTools", "Sep", "Tool_ViewPE", "Sep",
          "ID_Info", "Sep", "ID_Cascade"},
         {"Tool_Open", "Sep", "Sep", "ID_ClosePhotoFile", "ID_CheckAll", "ID_UncheckAll", "ID_Info",
          "Sep", "ID_CloseAllTools", "Sep", "ID_Exit"},
         {"ID_SystemSettings", "Sep", "Tool_ViewPE", "Sep", "Sep", "Sep", "ID_UpdateUserInfo"}},
        {"no tools",
         {},
         {"ID_ClosePhotoFile", "ID_CloseAllTools", "Sep", "Sep", "ID_Info", "Sep", "ID_Cascade"},
         {"Sep", "Sep", "ID_ClosePhotoFile", "ID_CheckAll", "ID_UncheckAll", "ID_Info", "Sep",
          "ID_CloseAllTools", "Sep", "ID_Exit"},
         {"ID_SystemSettings", "Sep", "Sep", "Sep", "Sep", "ID_UpdateUserInfo"}},
        {"every type, catalogue order kept within a type, type 5 nowhere",
         {{"T3", 3}, {"T4", 4}, {"T2a", 2}, {"T1", 1}, {"T5", 5}, {"T0", 0}, {"T2b", 2}, {"Tm", -1}},
         {"T0", "T1", "ID_ClosePhotoFile", "ID_CloseAllTools", "Sep", "T2a", "T2b", "T4", "T3", "Sep",
          "ID_Info", "Sep", "ID_Cascade"},
         {"T0", "Sep", "T1", "Sep", "ID_ClosePhotoFile", "ID_CheckAll", "ID_UncheckAll", "ID_Info",
          "Sep", "ID_CloseAllTools", "Sep", "ID_Exit"},
         {"ID_SystemSettings", "Sep", "T2a", "T2b", "Sep", "T4", "Sep", "T3", "Sep",
          "ID_UpdateUserInfo"}},
    };
    for (const Row& row : rows) {
        const BandPlan plan = PlanCommandBands(Catalogue(row.tools));
        EXPECT_EQ(plan.toolbar, row.toolbar) << row.name;
        EXPECT_EQ(plan.fileMenu, row.file) << row.name;
        EXPECT_EQ(plan.toolsMenu, row.toolsMenu) << row.name;
    }
}

TEST(BuildCommandBands, RealisesThePlanAsSharedActions) {
    QMainWindow window;
    const ToolCatalogue catalogue =
        Catalogue({{"Tool_Open", 0}, {"Tool_ViewPE", 2}, {"Tool_Hidden", 5}});
    std::vector<std::string> clicks;
    const CommandBands bands = BuildCommandBands(window, catalogue, "Acme",
                                                 [&](const std::string& id) { clicks.push_back(id); });
    const BandPlan plan = PlanCommandBands(catalogue);

    EXPECT_EQ(Shown(bands.toolbar), plan.toolbar);
    EXPECT_EQ(Shown(bands.fileMenu), plan.fileMenu);
    EXPECT_EQ(Shown(bands.toolsMenu), plan.toolsMenu);
    EXPECT_EQ(Shown(bands.windowMenu), WindowMenuItems());
    EXPECT_EQ(Shown(bands.helpMenu), HelpMenuItems());
    EXPECT_EQ(Shown(bands.onTheWebMenu), OnTheWebMenuItems());
    EXPECT_EQ(Shown(bands.mainBand), MainBandItems());
    EXPECT_EQ(bands.toolbar->objectName(), "ToolsToolbar");
    EXPECT_EQ(window.findChild<QToolBar*>("ToolsToolbar"), bands.toolbar);
    EXPECT_EQ(window.findChild<QMenu*>("Menu_Tools"), bands.toolsMenu);

    // Menu captions, and the sub-menu's.
    EXPECT_EQ(bands.fileMenu->title(), "&File");
    EXPECT_EQ(bands.helpMenu->title(), "&Help");
    EXPECT_EQ(bands.onTheWebMenu->title(), "Help On The &Web...");

    // Tool items: caption, tooltip; none for the type 5 tool.
    QAction* view = bands.action("Tool_ViewPE");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->text(), "Tool_ViewPE caption");
    EXPECT_EQ(view->toolTip(), "Tool_ViewPE tip");
    EXPECT_EQ(bands.action("Tool_Hidden"), nullptr);

    EXPECT_EQ(bands.action("ID_UncheckAll")->toolTip(), "Deselect All Loaded Files");
    EXPECT_EQ(bands.action("ID_OEMHomePage")->text(), "Acme Home Page...");
    EXPECT_TRUE(bands.action("ID_OEMHomePage")->isVisible());
    EXPECT_TRUE(bands.action("ID_WebOEMPortal")->isVisible());
    for (const std::string& id : HiddenWebItems()) EXPECT_FALSE(bands.action(id)->isVisible()) << id;

    // One shared action per ID: a click on either band reports the ID once.
    bands.action("ID_Info")->trigger();
    view->trigger();
    EXPECT_EQ(clicks, (std::vector<std::string>{"ID_Info", "Tool_ViewPE"}));
}

TEST(BuildCommandBands, EmptyOemNameLeavesTheSuffix) {
    QMainWindow window;
    EXPECT_EQ(BuildCommandBands(window, {}, "", {}).action("ID_OEMHomePage")->text(), " Home Page...");
}

}  // namespace
}  // namespace lumibench

namespace lumibench {
namespace {

// The Window menu lists what still runs, by the catalogue's caption, telling
// two instances of one tool apart by their number.
TEST(RunningToolItems, ListOpenInstancesWhoseProcessRuns) {
    ToolCatalogue catalogue = Catalogue({{"Tool_ViewPE", 2}, {"Tool_ComparePE", 2}});
    ToolEntry view = catalogue.entry(1);
    view.DisplayName = "&View";
    ToolCatalogue captions;
    captions.append(view);
    captions.append(catalogue.entry(2));

    RunningToolTable tools;
    const auto start = [&](const std::string& actName, std::int64_t pid) {
        const std::size_t n = tools.append(actName);
        auto process = std::make_shared<testing::FakeProcess>(pid);
        tools.setStarted(n, process);
        return process;
    };
    start("Tool_ViewPE", 101);
    start("Tool_ComparePE", 102);
    start("Tool_ViewPE", 103);
    start("Tool_ComparePE", 104)->running = false;  // ended by itself, not told yet
    start("Tool_Unlisted", 105);
    start("Tool_ViewPE", 106);
    tools.markClosed("Tool_ViewPE", "6");

    const std::vector<RunningToolItem> expected = {{1, "View (1)"},
                                                   {2, "Tool_ComparePE caption"},
                                                   {3, "View (3)"},
                                                   {5, "Tool_Unlisted"}};
    EXPECT_EQ(RunningToolItems(tools, captions), expected);
    EXPECT_TRUE(RunningToolItems(RunningToolTable{}, captions).empty());
}

}  // namespace
}  // namespace lumibench
