#pragma once

#include <QWidget>

class QAction;
class QLineEdit;
class QWebEngineProfile;
class WebView;

// The window of a page opened as a popup (window.open with window
// features): a read-only address field above the view. It closes when its
// page asks to.
class WebPopupWindow : public QWidget
{
    Q_OBJECT

public:
    explicit WebPopupWindow(QWebEngineProfile *profile);

    WebView *view() const;

private slots:
    void handleGeometryChangeRequested(const QRect &newGeometry);

private:
    QLineEdit *m_urlLineEdit;
    QAction *m_favAction;
    WebView *m_view;
};
