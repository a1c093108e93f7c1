#include "toolhost/command_bands.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <algorithm>

namespace lumibench {
namespace {

const char* const kMenuCaptions[][2] = {
    {"Menu_File", "&File"},
    {"Menu_Tools", "&Tools"},
    {"Menu_Window", "&Window"},
    {"Menu_Help", "&Help"},
};
constexpr const char* kOnTheWebCaption = "Help On The &Web...";

void AddToolsOfType(const ToolCatalogue& catalogue, int toolType, std::vector<std::string>& toolbar,
                    std::vector<std::string>& menu) {
    for (const ToolEntry& entry : catalogue.entries()) {
        if (entry.ToolType != toolType) continue;
        toolbar.push_back(entry.ActName);
        menu.push_back(entry.ActName);
    }
}

}  // namespace

const std::vector<FixedCommand>& FixedCommands() {
    static const std::vector<FixedCommand> commands = {
        {"ID_ClosePhotoFile", "&Close Checked Photometric File(s)", ""},
        {"ID_CheckAll", "Check &All", "Check All Loaded Files"},
        {"ID_UncheckAll", "&Uncheck All", "Deselect All Loaded Files"},
        {"ID_Info", "&File Information...", "Display File Information"},
        {"ID_CloseAllTools", "Close &All Tools", "Close All Open Tools"},
        {"ID_Exit", "&Exit", ""},
        {"ID_SystemSettings", "Global &System Settings...", "Global System Settings..."},
        {"ID_UpdateUserInfo", "&Update User Information...", ""},
        {"ID_Cascade", "&Cascade", "Cascade Tool Dialogs"},
        {"ID_TileHorizontally", "Tile &Horizontally", ""},
        {"ID_Welcome", "We&lcome!", ""},
        {"ID_Readme", "&Readme...", ""},
        {"ID_Contents", "&Contents And Index...", ""},
        {"ID_Overview", "&Overview...", ""},
        {"ID_About", "&About...", ""},
        {"ID_OEMHomePage", kOemHomePageSuffix, ""},
        {"ID_WebQLNHomePage", "Support &Page...", ""},
        {"ID_WebFAQS", "&Knowledgebase...", ""},
        {"ID_Forums", "Forums...", ""},
        {"ID_E-Store", "E-Store...", ""},
        {"ID_WebOEMPortal", "Addtional Sofware Info...", ""},
        {"ID_WebSubmitSupportReport", "&Submit Support Report...", ""},
    };
    return commands;
}

bool IsFixedCommand(std::string_view id) {
    const auto& commands = FixedCommands();
    return std::any_of(commands.begin(), commands.end(),
                       [&](const FixedCommand& c) { return id == c.id; });
}

BandPlan PlanCommandBands(const ToolCatalogue& catalogue) {
    BandPlan plan;
    auto& bar = plan.toolbar;
    auto& file = plan.fileMenu;
    auto& tools = plan.toolsMenu;

    AddToolsOfType(catalogue, 0, bar, file);
    file.push_back(kSeparatorId);
    AddToolsOfType(catalogue, 1, bar, file);
    file.push_back(kSeparatorId);

    file.push_back("ID_ClosePhotoFile");
    bar.push_back("ID_ClosePhotoFile");
    file.insert(file.end(), {"ID_CheckAll", "ID_UncheckAll", "ID_Info", kSeparatorId, "ID_CloseAllTools"});
    bar.insert(bar.end(), {"ID_CloseAllTools", kSeparatorId});
    file.insert(file.end(), {kSeparatorId, "ID_Exit"});

    tools.insert(tools.end(), {"ID_SystemSettings", kSeparatorId});
    // The Tools menu groups types 2, 4, 3 in that order.
    AddToolsOfType(catalogue, 2, bar, tools);
    tools.push_back(kSeparatorId);
    AddToolsOfType(catalogue, 4, bar, tools);
    tools.push_back(kSeparatorId);
    AddToolsOfType(catalogue, 3, bar, tools);
    bar.push_back(kSeparatorId);
    tools.push_back(kSeparatorId);
    tools.push_back("ID_UpdateUserInfo");

    bar.insert(bar.end(), {"ID_Info", kSeparatorId, "ID_Cascade"});
    return plan;
}

const std::vector<std::string>& MainBandItems() {
    static const std::vector<std::string> items = {"Menu_File", "Menu_Tools", "Menu_Window", "Menu_Help"};
    return items;
}

const std::vector<std::string>& WindowMenuItems() {
    static const std::vector<std::string> items = {"ID_Cascade", "ID_TileHorizontally"};
    return items;
}

const std::vector<std::string>& HelpMenuItems() {
    static const std::vector<std::string> items = {
        "ID_Welcome", kSeparatorId, "ID_Readme", "ID_Contents", "ID_Overview", kSeparatorId,
        kOnTheWebMenuId, kSeparatorId, "ID_About"};
    return items;
}

const std::vector<std::string>& OnTheWebMenuItems() {
    static const std::vector<std::string> items = {
        "ID_OEMHomePage", "ID_WebQLNHomePage", "ID_WebFAQS", "ID_WebSubmitSupportReport",
        "ID_Forums", kSeparatorId, "ID_E-Store", "ID_WebOEMPortal"};
    return items;
}

const std::vector<std::string>& HiddenWebItems() {
    static const std::vector<std::string> items = {"ID_WebQLNHomePage", "ID_WebFAQS", "ID_Forums",
                                                   "ID_E-Store"};
    return items;
}

QAction* CommandBands::action(std::string_view id) const {
    auto it = actions.find(id);
    return it == actions.end() ? nullptr : it->second;
}

std::vector<RunningToolItem> RunningToolItems(const RunningToolTable& tools, const ToolCatalogue& catalogue) {
    std::vector<RunningToolItem> items;
    std::map<std::string, int, std::less<>> running;
    const auto isListed = [](const RunningTool& tool) {
        return !tool.isClosed() && (tool.Process == nullptr || tool.Process->isRunning());
    };
    for (const RunningTool& tool : tools.entries()) {
        if (isListed(tool)) ++running[tool.ActName];
    }
    for (std::size_t n = 1; n <= tools.count(); ++n) {
        const RunningTool& tool = tools.at(n);
        if (!isListed(tool)) continue;
        const int index = catalogue.indexOf(tool.ActName);
        std::string caption = index > 0 ? catalogue.entry(index).DisplayName : tool.ActName;
        std::erase(caption, '&');
        if (caption.empty()) caption = tool.ActName;
        if (running[tool.ActName] > 1) caption += " (" + tool.InstanceId + ")";
        items.push_back({n, caption});
    }
    return items;
}

CommandBands BuildCommandBands(QMainWindow& window, const ToolCatalogue& catalogue,
                               std::string_view oemName, CommandClickHandler onClick) {
    CommandBands bands;
    auto handler = std::make_shared<CommandClickHandler>(std::move(onClick));

    auto makeAction = [&](const std::string& id, const QString& caption, const QString& toolTip) {
        auto* action = new QAction(caption, &window);
        action->setObjectName(QString::fromStdString(id));
        if (!toolTip.isEmpty()) action->setToolTip(toolTip);
        QObject::connect(action, &QAction::triggered, &window, [handler, id] {
            if (*handler) (*handler)(id);
        });
        bands.actions.emplace(id, action);
        return action;
    };
    for (const FixedCommand& command : FixedCommands()) {
        makeAction(command.id, QString::fromUtf8(command.caption), QString::fromUtf8(command.toolTip));
    }
    for (const ToolEntry& entry : catalogue.entries()) {
        if (entry.ToolType < 0 || entry.ToolType > 4) continue;
        if (bands.actions.count(entry.ActName)) continue;  // the first entry of a name wins a click
        QAction* action = makeAction(entry.ActName, QString::fromStdString(entry.DisplayName),
                                     QString::fromStdString(entry.ToolTip));
        if (!entry.IconPath.empty()) {
            QIcon icon(QString::fromStdString(entry.IconPath));
            if (!icon.isNull()) action->setIcon(icon);
        }
    }

    auto fill = [&](QWidget* band, const std::vector<std::string>& items) {
        for (const std::string& id : items) {
            if (id == kSeparatorId) {
                auto* separator = new QAction(band);
                separator->setSeparator(true);
                separator->setObjectName(kSeparatorId);
                band->addAction(separator);
            } else if (id == kOnTheWebMenuId) {
                band->addAction(bands.onTheWebMenu->menuAction());
            } else if (QAction* action = bands.action(id)) {
                band->addAction(action);
            }
        }
    };

    bands.mainBand = window.menuBar();
    bands.mainBand->setObjectName("Main");
    bands.mainBand->clear();
    QMenu* menus[4] = {};
    for (int i = 0; i < 4; ++i) {
        menus[i] = bands.mainBand->addMenu(QString::fromUtf8(kMenuCaptions[i][1]));
        menus[i]->setObjectName(kMenuCaptions[i][0]);
    }
    bands.fileMenu = menus[0];
    bands.toolsMenu = menus[1];
    bands.windowMenu = menus[2];
    bands.helpMenu = menus[3];
    bands.onTheWebMenu = new QMenu(QString::fromUtf8(kOnTheWebCaption), bands.helpMenu);
    bands.onTheWebMenu->setObjectName(kOnTheWebMenuId);

    bands.toolbar = new QToolBar(&window);
    bands.toolbar->setObjectName(kToolbarBandId);
    bands.toolbar->setMovable(false);
    bands.toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // The pane's splitter may have changed the pointer; over the toolbar it is the arrow.
    bands.toolbar->setCursor(Qt::ArrowCursor);
    window.addToolBar(Qt::TopToolBarArea, bands.toolbar);

    const BandPlan plan = PlanCommandBands(catalogue);
    fill(bands.fileMenu, plan.fileMenu);
    fill(bands.toolsMenu, plan.toolsMenu);
    fill(bands.windowMenu, WindowMenuItems());
    fill(bands.onTheWebMenu, OnTheWebMenuItems());
    fill(bands.helpMenu, HelpMenuItems());
    fill(bands.toolbar, plan.toolbar);

    QAction* oem = bands.action("ID_OEMHomePage");
    oem->setText(QString::fromStdString(std::string(oemName) + kOemHomePageSuffix));
    oem->setVisible(true);
    for (const std::string& id : HiddenWebItems()) bands.action(id)->setVisible(false);
    return bands;
}

}  // namespace lumibench
