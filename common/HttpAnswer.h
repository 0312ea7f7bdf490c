// What a download takes from the server's answer, decided line by line and
// piece by piece as it streams in, so that nothing a hostile server sends
// grows without bound.
#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// A real server's head has a dozen lines and well under 4 KiB.
constexpr int kMaxHeaderLines = 100;
constexpr qint64 kMaxHeaderBytes = 64 * 1024;

class HttpAnswer {
public:
    explicit HttpAnswer(qint64 maxBytes) : m_maxBytes(maxBytes) {}

    // Each returns false once the answer is refused; Problem() says why.
    // Only 200 is taken; an interim or second head is refused as well.
    bool Status(int code);
    // Within kMaxHeaderLines and kMaxHeaderBytes; a Content-Length above the
    // cap, a content coding or a transfer coding other than chunked is
    // refused. Cookies and redirect targets play no part.
    bool HeaderLine(const QByteArray& line);
    // Counts body bytes against the cap.
    bool Body(qint64 size);
    // The transfer ended as complete: the body is as long as announced.
    bool Complete();

    // The announced Content-Length, -1 when none.
    qint64 AnnouncedLength() const { return m_announced; }
    qint64 Received() const { return m_received; }
    QString Problem() const { return m_problem; }

private:
    bool Refuse(const QString& why);

    qint64 m_maxBytes;
    qint64 m_announced = -1;
    qint64 m_received = 0;
    qint64 m_headerBytes = 0;
    int m_headerLines = 0;
    int m_status = 0;
    QString m_problem;
};

// The request's own header lines: the body as stored, nothing else.
inline const char* IdentityRequestHeader()
{
    return "Accept-Encoding: identity";
}

}  // namespace orvane
