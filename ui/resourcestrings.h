#pragma once

#include <QString>

// The string table of the resources (:/strings.json), looked up by id.
class CResourceStrings
{
public:
    static constexpr int IDS_ABOUTBOX = 101;
    static constexpr int IDS_SOCKETS_INIT_FAILED = 103;

    // The text with this id; empty when there is none.
    static QString Load(int id);
};
