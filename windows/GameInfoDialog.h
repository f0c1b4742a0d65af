#pragma once

#include "net/MsspReader.h"

#include <QDialog>

#include <string>
#include <vector>

namespace tav {

// "Game information": what the game said about itself by MSSP, its name and players at
// the top and every variable in a list below, in the order sent; or that it said nothing.
class GameInfoDialog : public QDialog {
    Q_OBJECT
public:
    GameInfoDialog(const std::vector<MsspVariable>& variables, QWidget* parent = nullptr);
};

// The line at the top: "Name: 3 players", "Name", "3 players"; the text for a game that
// sent nothing when there is neither.
std::string GameInfoHeadline(const std::vector<MsspVariable>& variables);

} // namespace tav
