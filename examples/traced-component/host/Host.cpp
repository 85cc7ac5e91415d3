// The example host: creates the component's word counter straight from
// traced_component.dll beside it (or the file named as its argument), with
// no registration, and counts the words of a few texts. Run it while the
// trace viewer is open to see both modules' calls, nested, side by side.
#include "WordCounter.h"

#include "components/folders/AppFolder.h"
#include "components/instances/TalvaneComPtr.h"
#include "foundation/text/Unicode.h"
#include "foundation/trace/FunctionTrace.h"
#include "foundation/trace/TraceSettings.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void CountAndSay(IWordCounter& counter, const std::wstring& text)
{
    UTrace::Function scope("CountAndSay", "%zu characters", text.size());
    // The component takes UTF-8; the host holds its texts in UTF-16.
    const string8 bytes = unicode::to_string8(text);
    long words = 0;
    const HRESULT result = counter.CountWords(reinterpret_cast<const char*>(bytes.c_str()), &words);
    if (FAILED(result)) {
        UTrace::Error("the component refused the text: 0x%08lX", static_cast<unsigned long>(result));
        return;
    }
    UTrace::Message("%ld words", words);
}

}  // namespace

int main(int argc, char** argv)
{
    UTrace::Settings settings;
    settings.enabled = 1;
    settings.level = 3;
    settings.source = "traced-host";
    UTrace::Configure(settings);

    UTrace::Function scope("main", nullptr);
    const std::wstring component = argc > 1 ? unicode::to_wstring(std::string(argv[1]))
                                            : GetAppFolderWide() + L"traced_component.dll";
    TalvaneComPtr<IWordCounter> counter;
    const HRESULT created = counter.Create(kClsidWordCounter, component);
    if (FAILED(created) || counter.get() == nullptr) {
        UTrace::Error("cannot create the word counter from %s: 0x%08lX", unicode::to_string(component).c_str(),
                      static_cast<unsigned long>(created));
        std::fprintf(stderr, "cannot create the word counter (0x%08lX)\n", static_cast<unsigned long>(created));
        return scope.SetResult(1, nullptr);
    }
    UTrace::Message("created the word counter");
    for (const std::wstring& text : std::vector<std::wstring>{ L"one two three", L"Gr\u00FC\u00DFe aus Z\u00FCrich", L"" }) {
        CountAndSay(*counter.get(), text);
    }
    return scope.SetResult(0, nullptr);
}
