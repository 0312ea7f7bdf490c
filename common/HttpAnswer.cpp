#include "common/HttpAnswer.h"

#include <QList>

namespace orvane {

namespace {

// "chunked" and "identity" are framing; anything else changes the bytes.
bool IsFramingOnly(const QByteArray& codings)
{
    for (const QByteArray& coding : codings.split(',')) {
        const QByteArray name = coding.trimmed().toLower();
        if (name != "chunked" && name != "identity")
            return false;
    }
    return true;
}

bool IsDecimal(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

}  // namespace

bool HttpAnswer::Refuse(const QString& why)
{
    if (m_problem.isEmpty())
        m_problem = why;
    return false;
}

bool HttpAnswer::Status(int code)
{
    if (!m_problem.isEmpty())
        return false;
    if (m_status != 0)
        return Refuse(QStringLiteral("HTTP status %1 after %2").arg(code).arg(m_status));
    m_status = code;
    if (code != 200)
        return Refuse(QStringLiteral("HTTP status %1").arg(code));
    return true;
}

bool HttpAnswer::HeaderLine(const QByteArray& line)
{
    if (!m_problem.isEmpty())
        return false;
    m_headerBytes += line.size() + 2;
    if (++m_headerLines > kMaxHeaderLines)
        return Refuse(QStringLiteral("more than %1 header lines").arg(kMaxHeaderLines));
    if (m_headerBytes > kMaxHeaderBytes)
        return Refuse(QStringLiteral("more than %1 bytes of header lines").arg(kMaxHeaderBytes));
    const int colon = line.indexOf(':');
    if (colon <= 0)
        return true;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "content-length") {
        if (!IsDecimal(value))
            return Refuse(QStringLiteral("Content-Length \"%1\" is not a length").arg(QString::fromLatin1(value)));
        const qint64 length = value.toLongLong();
        if (m_announced >= 0 && m_announced != length)
            return Refuse(QStringLiteral("two different Content-Length values"));
        if (length > m_maxBytes)
            return Refuse(QStringLiteral("larger than the limit of %1 bytes").arg(m_maxBytes));
        m_announced = length;
    } else if (name == "content-encoding") {
        if (!value.isEmpty() && value.toLower() != "identity")
            return Refuse(QStringLiteral("content coding \"%1\" is not accepted").arg(QString::fromLatin1(value)));
    } else if (name == "transfer-encoding") {
        if (!IsFramingOnly(value))
            return Refuse(QStringLiteral("transfer coding \"%1\" is not accepted").arg(QString::fromLatin1(value)));
    }
    return true;
}

bool HttpAnswer::Body(qint64 size)
{
    if (!m_problem.isEmpty())
        return false;
    if (m_status != 200)
        return Refuse(QStringLiteral("a body without a status"));
    m_received += size;
    if (m_received > m_maxBytes)
        return Refuse(QStringLiteral("larger than the limit of %1 bytes").arg(m_maxBytes));
    return true;
}

bool HttpAnswer::Complete()
{
    if (!m_problem.isEmpty())
        return false;
    if (m_status != 200)
        return Refuse(QStringLiteral("no answer"));
    if (m_announced >= 0 && m_announced != m_received)
        return Refuse(QStringLiteral("received %1 of %2 bytes").arg(m_received).arg(m_announced));
    return true;
}

}  // namespace orvane
