#include "tools/tracecap/ProgramTree.h"

#include "foundation/text/Unicode.h"
#include "tools/tracecap/Output.h"
#include "tools/tracecap/core/Options.h"

namespace tracecap {

bool ProgramTree::Start(const std::vector<std::wstring>& program, std::string& error)
{
    const std::string name = "\"" + unicode::wide_to_utf8(program.front()) + "\"";
    mJob.reset(::CreateJobObjectW(nullptr, nullptr));
    mPort.reset(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!mJob || !mPort) {
        error = "cannot start " + name + ": " + SystemText(::GetLastError());
        return false;
    }
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = { mJob.get(), mPort.get() };
    if (!::SetInformationJobObject(
            mJob.get(), JobObjectAssociateCompletionPortInformation, &association, sizeof association)) {
        error = "cannot start " + name + ": " + SystemText(::GetLastError());
        return false;
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    for (const HANDLE handle : { startup.hStdInput, startup.hStdOutput, startup.hStdError }) {
        // A console's own handles cannot be marked and need not be: the
        // child shares the console. Files and pipes must be inherited.
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            static_cast<void>(::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
        }
    }
    std::wstring commandLine = QuoteCommandLine(program);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
            &startup, &started)) {
        error = "cannot start " + name + ": " + SystemText(::GetLastError());
        return false;
    }
    mProcess.reset(started.hProcess);
    const resources::UniqueHandle thread(started.hThread);
    mPid = started.dwProcessId;
    mMembers.insert(mPid);
    if (!::AssignProcessToJobObject(mJob.get(), mProcess.get())) {
        const DWORD why = ::GetLastError();
        ::TerminateProcess(mProcess.get(), 1);
        mProcess.reset();
        error = "cannot start " + name + " in a job of its own: " + SystemText(why);
        return false;
    }
    if (::ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        const DWORD why = ::GetLastError();
        ::TerminateJobObject(mJob.get(), 1);
        mProcess.reset();
        error = "cannot start " + name + ": " + SystemText(why);
        return false;
    }
    return true;
}

void ProgramTree::TakeNews()
{
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED detail = nullptr;
    while (mPort && ::GetQueuedCompletionStatus(mPort.get(), &message, &key, &detail, 0)) {
        if (message == JOB_OBJECT_MSG_NEW_PROCESS) {
            mMembers.insert(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(detail)));
        }
    }
}

bool ProgramTree::Contains(std::uint32_t pid)
{
    if (mMembers.contains(pid)) {
        return true;
    }
    TakeNews();
    if (mMembers.contains(pid)) {
        return true;
    }
    // A system without the job's messages still answers for a process that runs.
    const resources::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    BOOL inJob = FALSE;
    if (process && ::IsProcessInJob(process.get(), mJob.get(), &inJob) && inJob) {
        mMembers.insert(pid);
        return true;
    }
    return false;
}

DWORD ProgramTree::End()
{
    return !mJob || ::TerminateJobObject(mJob.get(), 1) ? 0 : ::GetLastError();
}

}  // namespace tracecap
