#pragma once

#include <vector>

#include <sys/types.h>

// Processes that do nothing but spin, one per core, so that a round runs on
// a machine as busy as it can be. They end when this object goes.
class CBusyLoad
{
public:
    explicit CBusyLoad(int processes);
    ~CBusyLoad();
    CBusyLoad(const CBusyLoad &) = delete;
    CBusyLoad &operator=(const CBusyLoad &) = delete;

    int Count() const { return static_cast<int>(m_children.size()); }

private:
    std::vector<pid_t> m_children;
};
