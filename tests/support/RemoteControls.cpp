#include "tests/support/RemoteControls.h"

#include "foundation/resources/UniqueResource.h"

#include <commctrl.h>

namespace testing_support {

namespace {

constexpr std::size_t kTextChars = 8192;

// A block of memory in the process that owns a window, freed at the end.
class RemoteBlock {
public:
    RemoteBlock(HWND window, std::size_t bytes)
    {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        mProcess.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        if (mProcess) {
            mAddress = static_cast<unsigned char*>(
                ::VirtualAllocEx(mProcess.get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        }
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    ~RemoteBlock()
    {
        if (mAddress != nullptr) {
            ::VirtualFreeEx(mProcess.get(), mAddress, 0, MEM_RELEASE);
        }
    }

    unsigned char* address() const { return mAddress; }
    bool Write(std::size_t offset, const void* bytes, std::size_t size) const
    {
        return ::WriteProcessMemory(mProcess.get(), mAddress + offset, bytes, size, nullptr) != FALSE;
    }
    std::wstring ReadText(std::size_t offset, std::size_t chars) const
    {
        std::wstring text(chars, L'\0');
        if (chars != 0
            && !::ReadProcessMemory(mProcess.get(), mAddress + offset, text.data(), chars * sizeof(wchar_t), nullptr)) {
            return L"<unreadable>";
        }
        return text;
    }

private:
    resources::UniqueHandle mProcess;
    unsigned char* mAddress = nullptr;
};

}  // namespace

std::wstring ListViewCellText(HWND list, int item, int column)
{
    RemoteBlock block(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (block.address() == nullptr) {
        return L"<unreadable>";
    }
    LVITEMW request = {};
    request.iSubItem = column;
    request.cchTextMax = static_cast<int>(kTextChars);
    request.pszText = reinterpret_cast<wchar_t*>(block.address() + sizeof(LVITEMW));
    if (!block.Write(0, &request, sizeof request)) {
        return L"<unreadable>";
    }
    DWORD_PTR chars = 0;
    ::SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(block.address()),
        SMTO_ABORTIFHUNG, 5000, &chars);
    return block.ReadText(sizeof(LVITEMW), chars);
}

bool ListViewSelectOnly(HWND list, int item)
{
    RemoteBlock block(list, sizeof(LVITEMW));
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    DWORD_PTR done = 0;
    if (block.address() == nullptr || !block.Write(0, &state, sizeof state)
        || ::SendMessageTimeoutW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(block.address()), SMTO_ABORTIFHUNG, 5000, &done)
            == 0) {
        return false;
    }
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    return block.Write(0, &state, sizeof state)
        && ::SendMessageTimeoutW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
               reinterpret_cast<LPARAM>(block.address()), SMTO_ABORTIFHUNG, 5000, &done)
        != 0
        && done != 0;
}

std::wstring StatusBarPartText(HWND status, int part)
{
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(status, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0, SMTO_ABORTIFHUNG, 5000, &length);
    const std::size_t chars = LOWORD(length);
    RemoteBlock block(status, (chars + 1) * sizeof(wchar_t));
    if (block.address() == nullptr) {
        return L"<unreadable>";
    }
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(status, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(block.address()),
        SMTO_ABORTIFHUNG, 5000, &ignored);
    return block.ReadText(0, chars);
}

}  // namespace testing_support
