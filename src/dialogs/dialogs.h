#pragma once
// What the main window and the command channel call to open the dialogs.

#include <QString>

#include <string>

#include "dialogs/dialog_services.h"
#include "dialogs/help_window.h"

class QWidget;

namespace lumibench {

class frmHint;
class frmWelcomeBrowser;

// Modal; true when OK stored the settings.
bool ShowGlobalSystemSettings(QWidget* parent, DialogServices& services);
// Modal; true when OK stored the details.
bool ShowUserInformation(QWidget* parent, DialogServices& services);
// Modal.
void ShowSystemInformation(QWidget* parent, DialogServices& services);
// Modal; true when OK changed the program-wide banner path.
bool ShowBannerImage(QWidget* parent, DialogServices& services);
// Modal.
void ShowAbout(QWidget* parent, DialogServices& services);
// Modal; the viewer keeps a copy of the text as "report.txt" when closed.
void ShowReportViewer(QWidget* parent, DialogServices& services, const QString& caption, const QString& richText);

// Not modal; one welcome browser per parent, which owns it (a second call
// brings it to the front and shows `urlName` again). Start-up passes WelcomePagePath() and the
// home address.
frmWelcomeBrowser* ShowWelcome(QWidget* parent, DialogServices& services, const QString& urlName,
                               const QString& urlHomeName);
std::string WelcomePagePath(const DialogServices& services);

// Not modal and kept above other windows; shows the hint only while it is
// switched on (section "Hints"). Returns the window, or null when the hint is
// off or unknown. One hint window per parent, which owns it.
frmHint* ShowHint(QWidget* parent, DialogServices& services, int hintNumber);

// The support report: opens the support page with the details in its query.
bool SubmitSupportReport(DialogServices& services);

}  // namespace lumibench
