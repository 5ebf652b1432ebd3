#include "modalanswerer.h"

#include <QPushButton>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QtTest>

namespace {
constexpr int LookIntervalMs = 20;
}

ModalAnswerer::ModalAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::look);
    m_timer.start(LookIntervalMs);
}

void ModalAnswerer::expect(const Answer &answer)
{
    m_answers.enqueue(answer);
}

void ModalAnswerer::look()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == m_current || !modal->isVisible())
        return;
    m_current = modal;
    if (m_answers.isEmpty()) {
        m_unexpected.append(modal->windowTitle());
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        return;
    }
    ++m_answered;
    // The answer may open the next dialog's event loop itself.
    m_answers.dequeue()(modal);
}

void ModalAnswerer::press(QWidget *modal, QDialogButtonBox::StandardButton which)
{
    const auto *box = modal->findChild<QDialogButtonBox *>();
    QPushButton *button = box ? box->button(which) : nullptr;
    QVERIFY2(button, qPrintable(QStringLiteral("no such button on \"%1\"").arg(modal->windowTitle())));
    button->click();
}

void ModalAnswerer::onNextMenu(const std::function<void(QMenu *)> &choose)
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, choose] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        choose(menu);
    });
    timer->start(LookIntervalMs);
}
