#pragma once

#include "screen/ScreenView.h"
#include "settings/StoredValues.h"
#include "windows/WindowPlacement.h"

#include <QDialog>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tav {

// The modal edit dialog of a server edit request and of the multi-line send: a read-only
// heading, the text being edited, "Font..." for the text's font with the text's size in
// lines and characters beside it, and "Done". Each dialog holds its own text, so a second
// dialog opened while one is up takes nothing from it.
//
// Construct it with the heading and text (bytes, LF line ends), the most bytes the text
// may have once its line ends are CR LF, the font (replaced by "Font...") and the stored
// rectangle it is placed at and records its moves and sizes into; then Run(). "Done"
// refuses, with a message and the dialog kept open, a text that is too long or has
// characters outside Latin-1, so nothing is cut or replaced silently.
class tmarrowedit : public QDialog {
    Q_OBJECT
public:
    tmarrowedit(std::string_view heading, std::string_view text, std::size_t byteLimit,
                FontSpec& font, Rect& stored, QWidget* parent);

    // Runs the dialog; the text (bytes, LF line ends) when it ended with "Done".
    std::optional<std::string> Run();

    QLineEdit& Heading() { return *heading_; }
    QPlainTextEdit& Text() { return *text_; }
    QPushButton& FontButton() { return *fontButton_; }
    QPushButton& DoneButton() { return *done_; }
    QLabel& HeightText() { return *height_; }
    QLabel& WidthText() { return *width_; }

protected:
    void done(int result) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ChooseFont();
    void ApplyFont();
    void UpdateSizeTexts();
    void Record();

    std::size_t byteLimit_;
    FontSpec& font_;
    Rect& stored_;
    WindowPlacement placement_{*this};
    QLineEdit* heading_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QPushButton* fontButton_ = nullptr;
    QPushButton* done_ = nullptr;
    QLabel* height_ = nullptr;
    QLabel* width_ = nullptr;
    std::string result_;
};

} // namespace tav
