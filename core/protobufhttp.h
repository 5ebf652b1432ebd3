#pragma once

#include <QByteArray>
#include <QString>

class QNetworkReply;

// How a request body becomes bytes on the wire. The platform expects Chinese
// text in UTF-8 on some requests; everything else goes out in the codec the
// process started with, which is never switched (it also encodes file names).
enum class BodyEncoding { Locale, Utf8 };

// Blocking form POST of `body` to `url`; the reply body, decoded as UTF-8,
// goes to `result`, whatever the HTTP status. A reply that did not arrive
// whole (refused, broken off, past Deployment::requestTimeoutMs(), larger
// than ReplyReader::MaxReplyBytes) leaves `result` empty, the callers' sign
// of failure. A body that contains "types=1000" is sent without waiting and
// leaves `result` as it was.
void protobufHttp(const QString &url, const QString &body, QString &result,
                  BodyEncoding encoding = BodyEncoding::Locale);

// Reads the platform's reply envelope. False when the reply is not JSON (the
// out values are left alone); otherwise true, with `states` and, on refusal,
// `msg` taken from the reply when "states" is a boolean.
bool parseStatesReply(const QString &reply, bool &states, QString &msg);

// The way every platform POST is sent: the caller's form text, then the
// client's IP address and edition.
class RequestSender
{
public:
    // Appends "ip=" (or "&ip=" when the body does not end with "&"), the
    // client IP, "&edition=" and the edition, and sends with protobufHttp.
    void postPlatformRequest(const QString &url, const QString &body, QString &result,
                             BodyEncoding encoding = BodyEncoding::Locale) const;

    // A value made safe to insert into a form body: "%", "&", "=" and "+",
    // which would change or break the form, become %25, %26, %3D and %2B;
    // everything else stays as it is.
    static QString formValue(const QString &value);
};
