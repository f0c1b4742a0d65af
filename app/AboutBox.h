#pragma once

#include <QDialog>

class QLabel;

namespace tav {

// The about box "About the TavClient...": a picture centred at the top, the product name
// with its version, the release line and an "Ok" button.
class taboutdlg : public QDialog {
    Q_OBJECT
public:
    explicit taboutdlg(QWidget* parent = nullptr);

    QString Text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* text_ = nullptr;
};

} // namespace tav
