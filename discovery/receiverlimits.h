#pragma once

#include <QtGlobal>

// The bounds every announcement receiver works within, so that no host, by
// mistake or on purpose, can hold the tool's threads or memory.
struct CReceiverLimits
{
    // A player sends its announcement at once after connecting; ten seconds
    // covers a slow one without letting silent peers pile up.
    int timeoutMs = 10000;
    // Announcements are a few hundred bytes; anything this large is not one.
    qsizetype maxBytes = 64 * 1024;
    // Receivers are threads; beyond this many at once, new connections wait
    // in the kernel's queue until one ends.
    int maxReceivers = 256;
    // A player announces itself over one connection per sweep. More than a
    // few at once from one address is a broken or hostile host, and must not
    // take the receivers every other player needs.
    int maxPerHost = 8;
};
