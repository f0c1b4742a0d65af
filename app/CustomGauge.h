#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace tav {

// The status bar's transfer gauge: a horizontal bar from 0 to 100 with its value printed
// over it through a caption format ("%d%%" shows 42%). The filled part is drawn in the bar
// colour and the rest in the button face colour; the caption is drawn in the face colour
// over the filled part and in the bar colour over the rest. An empty caption draws no text.
class TCustomGauge : public QWidget {
    Q_OBJECT
public:
    static constexpr int kId = 136;
    static constexpr int kWidth = 50;
    static constexpr int kHeight = 16;
    static constexpr int kMargin = 1;
    // Below this many bytes a transfer is not shown.
    static constexpr long long kMinShownBytes = 512;

    explicit TCustomGauge(QWidget* parent = nullptr);

    int Value() const { return value_; }
    const QString& Caption() const { return caption_; }
    // The text drawn over the bar: the caption with the value, or empty.
    QString CaptionText() const;
    void SetValue(int value);
    void SetCaption(const QString& caption);
    // The transfer state: received of total bytes. Small, finished or complete transfers
    // clear the gauge; otherwise it shows the truncated percentage.
    void ShowProgress(long long received, long long total);
    // The percentage ShowProgress shows, or -1 for an empty gauge.
    static int ProgressPercent(long long received, long long total);

    QSize sizeHint() const override { return {kWidth, kHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
    QString caption_;
    QColor barColor_{80, 80, 120};
};

} // namespace tav
