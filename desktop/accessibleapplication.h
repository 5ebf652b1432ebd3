#pragma once

#include <QAccessibleApplication>

// The application as a screen reader names it: by the name it shows people
// (QGuiApplication::applicationDisplayName, "Plit云台"), not by the short
// name its settings and files go under.
class AccessibleApplication : public QAccessibleApplication
{
public:
    QString text(QAccessible::Text type) const override;
};
