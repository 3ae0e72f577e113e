#include "window/widgets/FilledShape.h"

#include <QPainter>

FilledShape::FilledShape(const QColor &fill, const QColor &outline, QWidget *parent)
    : QWidget(parent), fill_(fill), outline_(outline)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FilledShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), fill_);
    painter.setPen(QPen(outline_, 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
