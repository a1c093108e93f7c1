#include "dialogs/welcome_browser.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

#include "dialogs/dialog_services.h"
#include "platform/settings_store.h"
#include "dialogs/settings_values.h"

namespace lumibench {
namespace {

constexpr double kTwipsPerInch = 1440;

bool IsWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

// A plain path becomes a file address; anything with a scheme stays as it is.
QUrl LocationUrl(const QString& location) {
    const QUrl url(location);
    if (url.scheme().size() > 1) return url;
    return QUrl::fromLocalFile(QFileInfo(location).absoluteFilePath());
}

}  // namespace

frmWelcomeBrowser::frmWelcomeBrowser(DialogServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services) {
    setObjectName("frmWelcomeBrowser");
    setWindowTitle(QString("Welcome to ") + QString::fromStdString(services_.identity.title));
    // Closes as a dialog does; the close stores the check box as any close does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    escape->setContext(Qt::WindowShortcut);

    toolbar_ = new QToolBar;
    toolbar_->setObjectName("sstToolbar");
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const struct {
        const char* id;
        const char* caption;
        QStyle::StandardPixmap icon;
    } tools[] = {{"Tool_Home", "Home", QStyle::SP_DirHomeIcon},
                 {"Tool_Back", "Back", QStyle::SP_ArrowBack},
                 {"Tool_Forward", "Forward", QStyle::SP_ArrowForward},
                 {"Tool_Refresh", "Refresh", QStyle::SP_BrowserReload}};
    for (const auto& tool : tools) {
        QAction* action = toolbar_->addAction(style()->standardIcon(tool.icon), tool.caption);
        action->setObjectName(tool.id);
    }

    browser_ = new QTextBrowser;
    browser_->setObjectName("WebBrowser1");
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, &frmWelcomeBrowser::followLink);

    progress_ = new QProgressBar;
    progress_->setObjectName("pgbDownload");
    progress_->setMaximumWidth(200);
    progress_->setTextVisible(false);
    progress_->hide();
    showAtStart_ = new QCheckBox(tr("Show this Welcome Browser the next time you start the program"));
    showAtStart_->setObjectName("chkWelcomeForm");
    showAtStart_->setChecked(services_.welcomeFlag);

    const auto actions = toolbar_->actions();
    connect(actions[0], &QAction::triggered, this, [this] { navigate(URLHomeName); });
    connect(actions[1], &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(actions[2], &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(actions[3], &QAction::triggered, browser_, &QTextBrowser::reload);
    connect(browser_, &QTextBrowser::backwardAvailable, actions[1], &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, actions[2], &QAction::setEnabled);
    actions[1]->setEnabled(false);
    actions[2]->setEnabled(false);

    // The browser fills the window above a strip with the progress bar and the check box.
    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(6, 2, 6, 4);
    strip->addWidget(showAtStart_, 1);
    strip->addWidget(progress_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar_);
    layout->addWidget(browser_, 1);
    layout->addLayout(strip);
    resize(760, 560);
}

double frmWelcomeBrowser::twipsPerPixel() const { return kTwipsPerInch / std::max(1, logicalDpiX()); }

void frmWelcomeBrowser::restoreLayout() {
    using namespace welcome_keys;
    SettingsStore& store = services_.store;
    const int state = dialogs::ReadInt16(store, dialog_keys::kStartup, kWindowState, kNormal);
    // The stored place is the normal window's, also when it opens maximised,
    // so that un-maximising has somewhere to go back to.
    setWindowState(Qt::WindowNoState);
    const double twips = twipsPerPixel();
    const auto read = [&](const char* key, int current) {
        const double value = dialogs::ReadNumber(store, dialog_keys::kStartup, key, current * twips);
        return static_cast<int>(std::lround(value / twips));
    };
    const int left = read(kLeft, x());
    const int top = read(kTop, y());
    const int height = read(kHeight, this->height());
    const int width = read(kWidth, this->width());
    move(left, top);
    if (width > 0 && height > 0) resize(width, height);
    if (state == kMaximised) setWindowState(Qt::WindowMaximized);
    if (state == kMinimised) setWindowState(Qt::WindowMinimized);
}

void frmWelcomeBrowser::navigate(const QString& location) {
    if (location.isEmpty()) return;
    const QUrl url = LocationUrl(location);
    if (IsWebAddress(url)) {
        services_.OpenAddress(url.toString(QUrl::FullyEncoded).toStdString());
        return;
    }
    // Local pages load at once; the bar shows for the length of the load.
    progress_->setMaximum(100);
    progress_->setValue(0);
    progress_->show();
    browser_->setSource(url);
    progress_->setValue(100);
    progress_->hide();
}

void frmWelcomeBrowser::followLink(const QUrl& link) {
    const QUrl target = browser_->source().resolved(link);
    if (IsWebAddress(target)) {
        services_.OpenAddress(target.toString(QUrl::FullyEncoded).toStdString());
        return;
    }
    browser_->setSource(target);
}

void frmWelcomeBrowser::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    navigate(URLName);
}

void frmWelcomeBrowser::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) navigate(URLName);
}

void frmWelcomeBrowser::closeEvent(QCloseEvent* event) {
    using namespace welcome_keys;
    SettingsStore& store = services_.store;
    const bool showAtStart = showAtStart_->isChecked();
    dialogs::WriteFlag(store, dialog_keys::kStartup, kWelcomeForm, showAtStart);
    services_.welcomeFlag = showAtStart;
    const int state = isMinimized() ? kMinimised : isMaximized() ? kMaximised : kNormal;
    dialogs::WriteText(store, dialog_keys::kStartup, kWindowState, std::to_string(state));
    if (state == kNormal) {
        const double twips = twipsPerPixel();
        const auto write = [&](const char* key, int pixels) {
            dialogs::WriteText(store, dialog_keys::kStartup, key, std::to_string(std::lround(pixels * twips)));
        };
        write(kLeft, x());
        write(kTop, y());
        write(kHeight, height());
        write(kWidth, width());
    }
    event->accept();
}

}  // namespace lumibench
