#pragma once

#include "settings/StoredValues.h"
#include "windows/ToolWindow.h"

#include <QString>

#include <string_view>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tav {

// Shows the description of a game object the server sent (or an earlier one kept as an
// .id file under "text"): the object's name above a read-only text, with "Open...",
// "Font..." and "Close". Receiving a description neither shows nor raises the window;
// writing its file is the caller's (from the bytes received, not from this text).
class iddlg : public ToolWindow {
    Q_OBJECT
public:
    // stored, font: the window's rectangle and font in the stored values.
    iddlg(Rect& stored, FontSpec& font, QWidget* owner);

    // The stored font and the window at its stored rectangle (never on top).
    void SetUp();
    // The name in the label, path (a file system path) as the file name, and the text
    // (CR LF or lone CR as line ends).
    void ShowDescription(std::string_view name, std::string_view path, std::string_view text);
    // Loads a stored description; the label then shows its path. When the file cannot be
    // read an "Error..." box says so and the shown text stays.
    bool OpenFile(const QString& path);

    const QString& FileName() const { return fileName_; }
    QLabel& NameLabel() { return *name_; }
    QPlainTextEdit& Text() { return *text_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetName(const QString& name);
    void ChooseFont();
    void ChooseFileAndOpen();
    void Layout();

    FontSpec& font_;
    QString fileName_;
    QLabel* name_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QFrame* frame_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace tav
