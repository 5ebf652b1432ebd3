#pragma once

#include <QObject>

// A scale factor from the primary screen's width, in steps of 1920 pixels.
class Dpi : public QObject
{
    Q_OBJECT

public:
    explicit Dpi(QObject *parent = nullptr);

    Q_INVOKABLE float getDp();

    // 0.0 below 1920 pixels, 1.0 from 1920 to 3839, and so on.
    static float factorForWidth(int width);
};
