#pragma once

#include <QWidget>

// A progress bar that takes fractional values, as the overall bar is given
// (k + 1) / N * 100 unrounded. A value outside the range leaves it as it was.
// It repaints with the next turn of the event loop, never inside setValue:
// QProgressBar repaints at once, which costs more than the conversion itself.
class ProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget *parent);

    double min() const { return min_; }
    double max() const { return max_; }
    double value() const { return value_; }
    void setRange(double min, double max);
    // False (and nothing changes) when the value lies outside the range.
    bool setValue(double value);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    static constexpr int Steps = 10000;
    int step() const;

    double min_ = 0;
    double max_ = 100;
    double value_ = 0;
};
