#pragma once

#include "settings/CustomButtonFile.h"

#include <QPushButton>
#include <QToolBar>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class LocalPrinter;

// A user-defined button of the custom bar: its label is its name ('&' shown as it is),
// and pressing the left mouse button sends its command at once, on the press. Activating
// it from the keyboard sends it too. The right mouse button asks for the editor.
class TCustomButton : public QPushButton {
    Q_OBJECT
public:
    TCustomButton(int id, CustomButtonRecord record, QWidget* parent);

    int Id() const { return id_; }
    const CustomButtonRecord& Record() const { return record_; }
    CustomButtonRecord& Record() { return record_; }
    // Shows the record's name as the label and the accessible name.
    void UpdateLabel();

signals:
    void sendRequested(TCustomButton* button);
    void editRequested(TCustomButton* button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int id_;
    CustomButtonRecord record_;
    bool sentOnPress_ = false;
};

// "TavClient CustomBar": a dockable bar of the profile's custom buttons. The button list
// is newest first (the file's order); the bar shows the buttons loaded in list order and
// adds each new button at its right end. The add, edit and remove flows save the list
// to the file at once; a failure shows "Unable to open CustomBar index.".
class CustomButtonBar : public QToolBar {
    Q_OBJECT
public:
    using Sender = std::function<void(std::string_view command)>;
    using PathOfProfile = std::function<std::string()>;

    // `send` sends a command to the game; `path` gives the current profile's file.
    CustomButtonBar(Sender send, PathOfProfile path, QWidget* parent);

    // Fills the bar from the file (the bar is built empty when the file cannot be read).
    void Load(LocalPrinter& printer);
    void AddButton();
    void RemoveButton();
    void EditButton(TCustomButton& button);

    // Newest first.
    const std::vector<TCustomButton*>& Buttons() const { return buttons_; }

private:
    TCustomButton* MakeButton(int id, CustomButtonRecord record);
    void Save();

    Sender send_;
    PathOfProfile path_;
    std::vector<TCustomButton*> buttons_;
};

} // namespace tav
