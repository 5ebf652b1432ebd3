#pragma once

#include <QDialogButtonBox>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QTimer>

#include <functional>

class QMenu;
class QWidget;

// Answers the modal dialogs a test provokes, as a person would: it keeps
// looking for the active modal widget (also inside the dialog's own event
// loop) and hands each new one to the next expected answer, in order. A
// modal that nobody expected is rejected and its title remembered, so a test
// can also tell that no question was asked.
class ModalAnswerer : public QObject
{
public:
    using Answer = std::function<void(QWidget *modal)>;

    ModalAnswerer();

    void expect(const Answer &answer);
    // Answers still waiting for their dialog.
    int pending() const { return m_answers.size(); }
    int answered() const { return m_answered; }
    QStringList unexpected() const { return m_unexpected; }

    // Clicks the button `which` of the dialog's button box (message boxes,
    // file dialogs and the program's own forms all have one).
    static void press(QWidget *modal, QDialogButtonBox::StandardButton which);

    // Runs `choose` on the next pop-up menu shown, e.g. one opened by exec().
    static void onNextMenu(const std::function<void(QMenu *menu)> &choose);

private:
    void look();

    QTimer m_timer;
    QQueue<Answer> m_answers;
    QPointer<QWidget> m_current;
    int m_answered = 0;
    QStringList m_unexpected;
};
