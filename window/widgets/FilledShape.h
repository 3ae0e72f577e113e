#pragma once

#include <QColor>
#include <QWidget>

// A filled rectangle with a one-pixel outline, drawn behind the other controls.
class FilledShape : public QWidget {
    Q_OBJECT
public:
    FilledShape(const QColor &fill, const QColor &outline, QWidget *parent);
    QColor fill() const { return fill_; }
    QColor outline() const { return outline_; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QColor fill_;
    QColor outline_;
};
