#pragma once

#include <QtGlobal>

class QNetworkReply;

// Where every blocking request of the program waits for its reply: a local
// event loop, so that windows keep painting, downloads go on and timers run.
// What a person does meanwhile must not reach the interface, which is in the
// middle of a handler and cannot take it: mouse, wheel, touch and keys are
// held back while any request waits (the busy cursor shows). Escape, or
// closing a window, gives up every waiting request instead: the reply is
// aborted, and the caller sees a failed request. A window closed meanwhile
// closes, and objects released meanwhile (a closed window, the rows of a
// list that changed) go, once the last wait has ended, so that the handler
// that waits finds its items where it left them.
class RequestWait
{
public:
    enum Outcome { Finished, TimedOut, GivenUp };

    // Waits until `reply` has finished, at most `limitMs`; a reply still
    // running then, or when the user gives up, is aborted. Returns at once
    // when the reply has already finished.
    static Outcome wait(QNetworkReply *reply, int limitMs);

    // Whether a request waits right now.
    static bool waiting();

    // Gives up every waiting request, as Escape does.
    static void giveUp();
};
