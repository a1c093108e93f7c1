#pragma once
// The welcome browser: the program's welcome page in an embedded browser
// with Home, Back, Forward and Refresh; it remembers its state and place
// (section "Startup", lengths in twips) and whether to show at start-up.

#include <QWidget>

class QCheckBox;
class QProgressBar;
class QTextBrowser;
class QToolBar;

namespace lumibench {

struct DialogServices;

namespace welcome_keys {
inline constexpr const char* kWelcomeForm = "WelcomeForm";
inline constexpr const char* kWindowState = "BrowserWindowState";
inline constexpr const char* kLeft = "BrowserLeft";
inline constexpr const char* kTop = "BrowserTop";
inline constexpr const char* kHeight = "BrowserHeight";
inline constexpr const char* kWidth = "BrowserWidth";
inline constexpr int kNormal = 0;
inline constexpr int kMinimised = 1;
inline constexpr int kMaximised = 2;
}  // namespace welcome_keys

class frmWelcomeBrowser : public QWidget {
    Q_OBJECT
public:
    frmWelcomeBrowser(DialogServices& services, QWidget* parent = nullptr);

    // The page shown whenever the window becomes active, and the Home page;
    // both are file paths or addresses.
    QString URLName;
    QString URLHomeName;

    // Restores the stored state and place; call before the first show.
    void restoreLayout();
    void navigate(const QString& location);
    QTextBrowser* browser() const { return browser_; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void followLink(const QUrl& link);
    double twipsPerPixel() const;

    DialogServices& services_;
    QToolBar* toolbar_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QCheckBox* showAtStart_ = nullptr;
};

}  // namespace lumibench
