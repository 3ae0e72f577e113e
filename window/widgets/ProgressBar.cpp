#include "window/widgets/ProgressBar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <cmath>

ProgressBar::ProgressBar(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ProgressBar::setRange(double min, double max)
{
    min_ = min;
    max_ = max;
    if (!(value_ >= min_ && value_ <= max_))
        value_ = min_;
    update();
}

bool ProgressBar::setValue(double value)
{
    if (!(value >= min_ && value <= max_))
        return false;
    const int before = step();
    value_ = value;
    if (step() != before)
        update();
    return true;
}

int ProgressBar::step() const
{
    const double span = max_ - min_;
    return span > 0 ? int(std::lround((value_ - min_) / span * Steps)) : 0;
}

QSize ProgressBar::sizeHint() const
{
    return {200, 17};
}

void ProgressBar::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.minimum = 0;
    option.maximum = Steps;
    option.progress = step();
    option.textVisible = false;
    option.state |= QStyle::State_Horizontal;
    painter.drawControl(QStyle::CE_ProgressBar, option);
}
