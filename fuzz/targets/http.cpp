// A download's answer as a hostile server may send it, in the order the
// transport hands it over: status lines ("HTTP/..." and a code, a second one
// for an interim or repeated head), header lines, then after an empty line
// the body in pieces (each piece's length is the byte before it). Once the
// answer is refused it stays refused with a reason; an answer taken whole is
// within the cap and as long as it announced.
#include <QByteArray>
#include <QList>

#include <algorithm>

#include "common/HttpAnswer.h"
#include "fuzz/support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane;
    constexpr qint64 kCap = 1024;
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    const int end = input.indexOf("\n\n");
    const QByteArray head = end < 0 ? input : input.left(end);
    const QByteArray body = end < 0 ? QByteArray() : input.mid(end + 2);

    HttpAnswer answer(kCap);
    bool refused = false;
    const auto step = [&](bool taken) {
        fuzz::Check(!(refused && taken), "a refused answer stays refused");
        refused = refused || !taken;
        fuzz::Check(taken || !answer.Problem().isEmpty(), "a refusal says why");
    };
    for (QByteArray line : head.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith("HTTP/"))
            step(answer.Status(line.mid(line.indexOf(' ') + 1).left(3).toInt()));
        else
            step(answer.HeaderLine(line));
    }
    for (int at = 0; at < body.size();) {
        const int piece = std::min<int>(std::uint8_t(body[at]), body.size() - at - 1);
        step(answer.Body(piece));
        at += piece + 1;
    }
    const bool complete = answer.Complete();
    step(complete);
    if (complete) {
        fuzz::Check(answer.Received() <= kCap, "a whole answer is within the cap");
        fuzz::Check(answer.AnnouncedLength() < 0 || answer.AnnouncedLength() == answer.Received(),
                    "a whole answer is as long as it announced");
    }
    return 0;
}
