// The command channel's search for a reply's closing tag, fed the reply in
// pieces as reads deliver it: however the reply is cut, the answer must be
// the one a search of the whole reply gives. The first byte says how many
// cuts follow, the next bytes where they fall; the rest is the reply.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QByteArrayView>

#include "replyterminator.h"
#include "wirevocabulary.h"

namespace {

constexpr size_t kMaxCuts = 16;

bool WholeReplyHasTag(QByteArrayView reply)
{
    for (const QLatin1String tag : WireVocabulary::CLOSING_TAGS) {
        if (reply.contains(QByteArrayView(tag.data(), tag.size())))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t cuts = data[0] % (kMaxCuts + 1);
    if (size < 1 + cuts)
        return 0;
    const uint8_t *steps = data + 1;
    const QByteArrayView reply(reinterpret_cast<const char *>(data + 1 + cuts),
                               static_cast<qsizetype>(size - 1 - cuts));

    CReplyTerminator terminator;
    qsizetype position = 0;
    for (size_t i = 0; i < cuts && position < reply.size(); ++i) {
        const qsizetype length = std::min<qsizetype>(steps[i], reply.size() - position);
        terminator.Feed(reply.sliced(position, length));
        position += length;
    }
    terminator.Feed(reply.sliced(position));
    if (terminator.Found() != WholeReplyHasTag(reply))
        __builtin_trap();
    return 0;
}
