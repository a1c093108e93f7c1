#pragma once
// The toolbar and the menus: the fixed commands and one item per catalogue
// tool, grouped by ToolType. Every item is a QAction whose object name is the
// item's ID; an ID on several bands is one shared action.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "toolhost/running_tool_table.h"
#include "toolhost/tool_catalogue.h"

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;

namespace lumibench {

// The separator item's ID.
inline constexpr const char* kSeparatorId = "Sep";
inline constexpr const char* kOnTheWebMenuId = "Menu_OnTheWeb";
inline constexpr const char* kToolbarBandId = "ToolsToolbar";
inline constexpr const char* kOemHomePageSuffix = " Home Page...";

struct FixedCommand {
    const char* id;
    const char* caption;
    const char* toolTip;  // empty: none
};

// The commands that exist whatever tools are installed.
const std::vector<FixedCommand>& FixedCommands();
bool IsFixedCommand(std::string_view id);

// The items of the bands built from the catalogue, IDs in band order.
struct BandPlan {
    std::vector<std::string> toolbar;
    std::vector<std::string> fileMenu;
    std::vector<std::string> toolsMenu;
};
BandPlan PlanCommandBands(const ToolCatalogue& catalogue);

// The fixed bands: the menu bar, Window, Help and its web sub-menu.
const std::vector<std::string>& MainBandItems();
const std::vector<std::string>& WindowMenuItems();
const std::vector<std::string>& HelpMenuItems();
const std::vector<std::string>& OnTheWebMenuItems();

// Items the host hides at start-up (addresses it does not have).
const std::vector<std::string>& HiddenWebItems();

struct CommandBands {
    QMenuBar* mainBand = nullptr;
    QToolBar* toolbar = nullptr;
    QMenu* fileMenu = nullptr;
    QMenu* toolsMenu = nullptr;
    QMenu* windowMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QMenu* onTheWebMenu = nullptr;
    std::map<std::string, QAction*, std::less<>> actions;

    // The command action with that ID, or nullptr.
    QAction* action(std::string_view id) const;
};

// An item of the Window menu's list of running tools: the entry (from 1) of
// the running-tool table it raises, and its caption.
struct RunningToolItem {
    std::size_t entry = 0;
    std::string caption;
    bool operator==(const RunningToolItem&) const = default;
};
// One item per open instance whose process still runs, in start order: the
// catalogue's caption without its accelerator mark (the ActName for a tool
// not in the catalogue), followed by the instance number in brackets when
// the same tool runs more than once.
std::vector<RunningToolItem> RunningToolItems(const RunningToolTable& tools, const ToolCatalogue& catalogue);

using CommandClickHandler = std::function<void(const std::string& id)>;

// Fills the window's menu bar and adds the toolbar. Every click on a command
// item (never a separator or sub-menu) calls onClick with the item's ID.
CommandBands BuildCommandBands(QMainWindow& window, const ToolCatalogue& catalogue,
                               std::string_view oemName, CommandClickHandler onClick);

}  // namespace lumibench
