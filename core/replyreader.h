#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <functional>

class QNetworkReply;

// Reading what a reply receives.
namespace ReplyReader {

// What has arrived of `reply` so far, in one piece. Not readAll(): that
// takes it in steps of 16 KiB, and at each step Qt copies the rest of the
// block it received into a new one, so a block of 256 KiB is copied seven
// and a half times over; how large the blocks are depends on timing, and
// with them what a download costs.
QByteArray takeArrived(QNetworkReply *reply);

// The largest reply the program reads. Every answer it expects is far
// smaller (a sign-in with 40 000 companies is about 6 MiB); a runaway server
// must not fill memory or the log.
constexpr qint64 MaxReplyBytes = 8 * 1024 * 1024;

// Waits (RequestWait) until `reply` has finished, at most `limitMs` (the
// request time limit when negative) or until the user gives up, and answers whether the whole reply arrived: the server
// answered with a status (an error status delivers its body as well), the
// connection did not break off, and every announced byte came, within
// MaxReplyBytes. Only then does `body` receive the bytes; a reply that would
// exceed the bound is aborted and read no further.
bool readWhole(QNetworkReply *reply, QByteArray *body, int limitMs = -1);

// The same bounds without waiting: `done` runs once `reply` has finished,
// been aborted for its size or run out of `limitMs`, with whether the whole
// reply arrived and, only then, its bytes. The reply is deleted afterwards.
void readWholeLater(QNetworkReply *reply, int limitMs, std::function<void(bool whole, const QByteArray &body)> done);

} // namespace ReplyReader
