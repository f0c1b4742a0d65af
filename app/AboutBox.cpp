#include "app/AboutBox.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef TAV_VERSION
#define TAV_VERSION "0.1"
#endif
#ifndef TAV_RELEASE_DATE
#define TAV_RELEASE_DATE "2024"
#endif

namespace tav {

namespace {

constexpr int kLogoWidth = 240;
constexpr int kLogoHeight = 72;

} // namespace

taboutdlg::taboutdlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About the TavClient..."));
    text_ = new QLabel(QStringLiteral("TavClient " TAV_VERSION "\nReleased " TAV_RELEASE_DATE
                                      " by the TavClient developers"),
                       this);
    text_->setAlignment(Qt::AlignCenter);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addSpacing(kLogoHeight + 8);
    layout->addWidget(text_);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setMinimumWidth(kLogoWidth + 40);
    setFixedSize(sizeHint());
}

QString taboutdlg::Text() const {
    return text_->text();
}

void taboutdlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The banner, centred at the top edge: a terminal window with the product name.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF banner((width() - kLogoWidth) / 2.0, 0, kLogoWidth, kLogoHeight);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(QColor(0, 24, 48));
    painter.drawRoundedRect(banner.adjusted(2, 4, -2, -2), 6, 6);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(26);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(80, 220, 80));
    painter.drawText(banner.adjusted(0, 4, 0, 0), Qt::AlignCenter, QStringLiteral("> TavClient_"));
}

} // namespace tav
