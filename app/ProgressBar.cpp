#include "app/ProgressBar.h"

#include <cmath>

ProgressBar::ProgressBar(QWidget *parent) : QProgressBar(parent)
{
    QProgressBar::setRange(0, Steps);
    QProgressBar::setValue(0);
    setTextVisible(false);
}

void ProgressBar::SetRange(double min, double max)
{
    min_ = min;
    max_ = max;
    if (value_ < min_ || value_ > max_)
        value_ = min_;
    SetValue(value_);
}

bool ProgressBar::SetValue(double value)
{
    if (!(value >= min_ && value <= max_))
        return false;
    value_ = value;
    const double span = max_ - min_;
    const int step = span > 0 ? int(std::lround((value - min_) / span * Steps)) : 0;
    if (step != QProgressBar::value())
        QProgressBar::setValue(step);
    return true;
}
