// The program under test and every process it starts, directly or not: it
// starts suspended inside a job object, so that no process of the tree can
// begin before the job holds it, and the job's completion port names each
// new member.
#pragma once

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace tracecap {

class ProgramTree {
public:
    // Starts the program with the standard handles of this process; on
    // failure, error says why (one line) and Process() is null.
    bool Start(const std::vector<std::wstring>& program, std::string& error);

    HANDLE Process() const { return mProcess.get(); }
    std::uint32_t Id() const { return mPid; }
    // Whether pid is, or was, a process of the tree.
    bool Contains(std::uint32_t pid);
    // Ends every process of the tree that still runs; 0, or why it could not.
    DWORD End();

private:
    void TakeNews();

    resources::UniqueHandle mJob;
    resources::UniqueHandle mPort;
    resources::UniqueHandle mProcess;
    std::uint32_t mPid = 0;
    std::unordered_set<std::uint32_t> mMembers;
};

}  // namespace tracecap
