#pragma once

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QQueue>
#include <QStringList>
#include <QTimer>
#include <QtTest>

#include <functional>

// Answers the modal dialogs a test provokes, as a person would: it keeps
// looking for the active modal widget (also inside the dialog's own event
// loop) and hands each new one to the next expected answer, in order. A
// modal that nobody expected is rejected and its title remembered, so a test
// can also tell that no question was asked.
class ModalAnswerer : public QObject
{
public:
    using Answer = std::function<void(QWidget *modal)>;

    ModalAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::look);
        m_timer.start(LookIntervalMs);
    }

    void expect(const Answer &answer) { m_answers.enqueue(answer); }
    // Answers still waiting for their dialog.
    int pending() const { return m_answers.size(); }
    int answered() const { return m_answered; }
    QStringList unexpected() const { return m_unexpected; }

    // Clicks the button `which` of the dialog's button box (message boxes,
    // file dialogs and the program's own forms all have one).
    static void press(QWidget *modal, QDialogButtonBox::StandardButton which)
    {
        const auto *box = modal->findChild<QDialogButtonBox *>();
        QPushButton *button = box ? box->button(which) : nullptr;
        QVERIFY2(button, qPrintable(QStringLiteral("no such button on \"%1\"").arg(modal->windowTitle())));
        button->click();
    }

    // Runs `choose` on the next pop-up menu shown, e.g. one opened by exec().
    static void onNextMenu(const std::function<void(QMenu *menu)> &choose)
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

private:
    static constexpr int LookIntervalMs = 20;

    void look()
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

    QTimer m_timer;
    QQueue<Answer> m_answers;
    QPointer<QWidget> m_current;
    int m_answered = 0;
    QStringList m_unexpected;
};
