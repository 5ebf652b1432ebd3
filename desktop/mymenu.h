#pragma once

#include <QQuickItem>

class MyAction;
class QMenu;

// A pop-up menu declared in QML. Its MyAction, MySeparator and MyMenu
// children become the entries of a real widget menu, in declaration order,
// when the component is complete.
class MyMenu : public QQuickItem
{
    Q_OBJECT
    // The menu's own size stands in for the item's.
    Q_PROPERTY(int width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(int height READ height WRITE setHeight NOTIFY heightChanged)

public:
    explicit MyMenu(QQuickItem *parent = nullptr);
    ~MyMenu() override;

    int width() const;
    int height() const;
    QMenu *menu() const { return m_menu; }

signals:
    void widthChanged();
    void heightChanged();

public slots:
    void setWidth(int width);
    void setHeight(int height);
    void addSeparator();
    void addAction(MyAction *action);
    void addMenu(MyMenu *menu);

protected:
    void componentComplete() override;

private:
    QMenu *m_menu;
};
