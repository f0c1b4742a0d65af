#pragma once

#include <QWidget>

namespace tav {

// A status bar picture with two images, "not connected" and "connected", framed with an
// embossed border. The Term indicator shows a small terminal screen, the Client indicator
// a pair of plugs; both are drawn here rather than loaded.
class ConnectionIndicator : public QWidget {
    Q_OBJECT
public:
    enum class Picture { Term, Client };
    static constexpr int kTermId = 5622;
    static constexpr int kClientId = 5623;

    explicit ConnectionIndicator(Picture picture, QWidget* parent = nullptr);

    // 0: not connected, 1: connected, 2: connected securely (the Term picture's padlock).
    int Image() const { return image_; }
    void SetImage(int image);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintTerm(QPainter& painter, const QRect& area) const;
    void PaintClient(QPainter& painter, const QRect& area) const;

    Picture picture_;
    int image_ = 0;
};

} // namespace tav
