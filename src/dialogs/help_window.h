#pragma once
// The program's own help: HTML pages in the "help" folder beside the program
// and a map from context numbers to pages ("help/context.map", one
// "number page" pair per line, "#" starts a comment).

#include <QWidget>

#include <string>
#include <string_view>

class QTextBrowser;

namespace lumibench {

namespace help_files {
inline constexpr const char* kContextMap = "context.map";
inline constexpr const char* kContents = "index.html";
}  // namespace help_files

// The page of a context number in the map's text; the contents page when the
// number is not in the map.
std::string HelpPageForContext(std::string_view mapText, int contextNumber);

class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    // Shows the page of `contextNumber` from the help folder.
    void showTopic(const std::string& helpFolder, int contextNumber);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_ = nullptr;
    QString contents_;
};

// Opens the help window (one for the whole program) at a context number;
// the help folder is the one in `programFolder`. Returns the window.
frmHelp* ShowHelpTopicIn(const std::string& programFolder, int contextNumber);
// The same for the folder of the running program.
void ShowHelpTopic(int contextNumber);

}  // namespace lumibench
