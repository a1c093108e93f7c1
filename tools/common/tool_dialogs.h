#pragma once
// The questions a tool asks its user (file names, folders, yes or no) behind
// one object, so that a script can answer them: LUMIBENCH_TOOL_SCRIPT holds
// lines run once the tool has started, "click <objectName>" pressing a button
// and "file <path> [<format name>]", "folder <path>", "yes", "no" answering
// the next question of that kind. Tests drive real tool processes with it.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <deque>

namespace lumibench::tools {

class ToolDialogs {
public:
    explicit ToolDialogs(QWidget* parent) : parent_(parent) {
        if (const char* script = std::getenv("LUMIBENCH_TOOL_SCRIPT")) {
            scripted_ = true;
            for (const QString& line : QString::fromUtf8(script).split('\n', Qt::SkipEmptyParts)) {
                lines_.push_back(line.trimmed());
            }
        }
    }

    bool scripted() const { return scripted_; }

    // A file name to save to; `filter` in: the filter to preselect, out: the one chosen.
    QString saveFileName(const QString& caption, const QString& start, const QStringList& filters, QString& filter) {
        if (scripted_) {
            const QString answer = take("file ");
            const int blank = answer.lastIndexOf(' ');
            if (blank > 0 && !answer.mid(blank + 1).contains('/')) {
                filter = answer.mid(blank + 1);
                return answer.left(blank);
            }
            return answer;
        }
        return QFileDialog::getSaveFileName(parent_, caption, start, filters.join(";;"), &filter,
                                            QFileDialog::DontConfirmOverwrite);
    }

    QString folder(const QString& caption, const QString& start) {
        if (scripted_) return take("folder ");
        return QFileDialog::getExistingDirectory(parent_, caption, start);
    }

    bool ask(const QString& title, const QString& text) {
        if (scripted_) {
            for (auto it = lines_.begin(); it != lines_.end(); ++it) {
                if (*it == "yes" || *it == "no") {
                    const bool yes = *it == "yes";
                    lines_.erase(it);
                    return yes;
                }
            }
            return false;
        }
        return QMessageBox::question(parent_, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
               QMessageBox::Yes;
    }

    void tell(const QString& title, const QString& text, bool failure) {
        if (scripted_) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
            return;
        }
        if (failure) {
            QMessageBox::warning(parent_, title, text);
        } else {
            QMessageBox::information(parent_, title, text);
        }
    }

    // Opens a page of the help beside the programs (help/<page>).
    static void showHelp(const QString& page) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/help/" + page));
    }

    // Presses the buttons the script names, in order, once the event loop runs.
    void runClicks() {
        if (!scripted_) return;
        QTimer::singleShot(0, parent_, [this] {
            while (!lines_.empty() && lines_.front().startsWith("click ")) {
                const QString name = lines_.front().mid(6).trimmed();
                lines_.pop_front();
                if (auto* button = parent_->findChild<QAbstractButton*>(name)) {
                    button->click();
                } else {
                    std::fprintf(stderr, "script: no button %s\n", qPrintable(name));
                }
            }
        });
    }

private:
    QString take(const QString& prefix) {
        // Answers wait behind the click that asks for them.
        for (auto it = lines_.begin(); it != lines_.end(); ++it) {
            if (!it->startsWith("click ") && it->startsWith(prefix)) {
                const QString answer = it->mid(prefix.size()).trimmed();
                lines_.erase(it);
                return answer;
            }
        }
        return {};
    }

    QWidget* parent_;
    bool scripted_ = false;
    std::deque<QString> lines_;
};

}  // namespace lumibench::tools
