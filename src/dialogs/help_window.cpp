#include "dialogs/help_window.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include "dialogs/dialog_services.h"
#include "core/number_text.h"

namespace lumibench {

std::string HelpPageForContext(std::string_view mapText, int contextNumber) {
    while (!mapText.empty()) {
        const auto end = mapText.find('\n');
        std::string_view line = mapText.substr(0, end);
        mapText = end == std::string_view::npos ? std::string_view() : mapText.substr(end + 1);
        if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos) continue;
        line = line.substr(first);
        const auto gap = line.find_first_of(" \t");
        if (gap == std::string_view::npos) continue;
        const auto number = LeadingInt16(line.substr(0, gap));
        if (!number || *number != contextNumber) continue;
        std::string_view page = line.substr(gap);
        page.remove_prefix(std::min(page.size(), page.find_first_not_of(" \t")));
        while (!page.empty() && (page.back() == ' ' || page.back() == '\t' || page.back() == '\r'))
            page.remove_suffix(1);
        if (!page.empty()) return std::string(page);
    }
    return help_files::kContents;
}

frmHelp::frmHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmHelp");

    browser_ = new QTextBrowser;
    browser_->setObjectName("HelpBrowser");
    browser_->setOpenExternalLinks(true);

    auto* toolbar = new QToolBar;
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* contents = toolbar->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), tr("Contents"));
    QAction* back = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"));
    QAction* forward = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"));
    contents->setObjectName("Help_Contents");
    back->setObjectName("Help_Back");
    forward->setObjectName("Help_Forward");
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QAction::triggered, this, [this] {
        if (!contents_.isEmpty()) browser_->setSource(QUrl::fromLocalFile(contents_));
    });
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QString("Lumibench Help") : "Lumibench Help - " + title);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(browser_, 1);
    setWindowTitle(tr("Lumibench Help"));
    resize(720, 600);
}

void frmHelp::showTopic(const std::string& helpFolder, int contextNumber) {
    const QString folder = QString::fromStdString(helpFolder);
    QFile map(folder + "/" + help_files::kContextMap);
    std::string mapText;
    if (map.open(QIODevice::ReadOnly)) mapText = map.readAll().toStdString();
    contents_ = folder + "/" + help_files::kContents;
    const QString page = folder + "/" + QString::fromStdString(HelpPageForContext(mapText, contextNumber));
    if (!QFileInfo::exists(page)) {
        browser_->setHtml(QString("<h2>Help is not available</h2><p>The help pages were not found in %1. "
                                  "Reinstalling the program restores them.</p>")
                              .arg(folder.toHtmlEscaped()));
        return;
    }
    browser_->setSource(QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath()));
}

namespace {

// A modal dialog blocks every window but its own. While one runs, the help
// window becomes the dialog's own window, in front of it and usable; when the
// dialog ends it goes back to being a window of its own, where it was.
void AttachToModalDialog(frmHelp& window) {
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* owner = window.parentWidget();
    if (modal == owner || modal == &window) return;
    const QRect place = window.geometry();
    const bool wasShown = window.isVisible();
    window.setParent(modal, Qt::Window);
    if (wasShown) window.setGeometry(place);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        QPointer<frmHelp> help(&window);
        QObject::connect(dialog, &QDialog::finished, &window, [help, dialog] {
            if (!help || help->parentWidget() != dialog) return;
            const QRect kept = help->geometry();
            const bool shown = help->isVisible();
            // Another modal dialog still running takes it over instead.
            help->setParent(nullptr, Qt::Window);
            help->setGeometry(kept);
            if (shown) help->show();
        });
    }
}

}  // namespace

frmHelp* ShowHelpTopicIn(const std::string& programFolder, int contextNumber) {
    // One window for the program's life; closing only hides it, so a topic
    // asked for right after a close never meets a window being destroyed.
    static QPointer<frmHelp> window;
    if (!window) window = new frmHelp;
    AttachToModalDialog(*window);
    window->showTopic(programFolder + "/" + bundled_files::kHelpFolder, contextNumber);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void ShowHelpTopic(int contextNumber) {
    ShowHelpTopicIn(QCoreApplication::applicationDirPath().toStdString(), contextNumber);
}

}  // namespace lumibench
