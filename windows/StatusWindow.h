#pragma once

#include <QWidget>

#include <array>

namespace tav {

// The hit, mana and move bars beside the terminal: a label and a coloured bar per value
// whose maximum is above 0, white on black in a small sans font.
class StatusWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatusWindow(QWidget* parent = nullptr);

    void SetStatus(int hit, int hitMax, int mana, int manaMax, int move, int moveMax);
    // What it shows: hit, its maximum, mana, its maximum, move, its maximum.
    std::array<int, 6> Values() const { return {hit_, hitMax_, mana_, manaMax_, move_, moveMax_}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int hit_ = 0;
    int hitMax_ = 0;
    int mana_ = 0;
    int manaMax_ = 0;
    int move_ = 0;
    int moveMax_ = 0;
};

} // namespace tav
