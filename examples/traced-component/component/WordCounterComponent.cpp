// The example component: a word counter whose every call shows in the trace
// viewer. It links its own copy of the foundation, so its lines carry their
// own source name and their own nesting.
#include "WordCounter.h"

#include "foundation/errors/TalvaneException.h"
#include "foundation/text/TalvaneText.h"
#include "foundation/text/Unicode.h"
#include "foundation/trace/FunctionTrace.h"
#include "foundation/trace/TraceSettings.h"

#include <atomic>
#include <mutex>
#include <new>
#include <string>

namespace {

// A text item: English here, translated by a language file that names id 1001.
const TalvaneText kCountedWords(1001, "counted %0 words");

std::atomic<long> gObjectsAlive{ 0 };

void StartTracing()
{
    static std::once_flag once;
    std::call_once(once, [] {
        UTrace::Settings settings;
        settings.enabled = 1;
        settings.level = 3;
        settings.source = "traced-component";
        UTrace::Configure(settings);
    });
}

long CountWordsOf(const char* text)
{
    long words = 0;
    bool inWord = false;
    for (const char* c = text; *c != '\0'; ++c) {
        const bool space = *c == ' ' || *c == '\t' || *c == '\r' || *c == '\n';
        words += (!space && !inWord) ? 1 : 0;
        inWord = !space;
    }
    return words;
}

class WordCounter final : public IWordCounter {
public:
    WordCounter() { ++gObjectsAlive; }
    ~WordCounter() { --gObjectsAlive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == __uuidof(IWordCounter)) {
            *object = static_cast<IWordCounter*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++mReferences); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const long left = --mReferences;
        if (left == 0) {
            delete this;  // COM objects end themselves on their last Release
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE CountWords(const char* utf8Text, long* count) override
    {
        UTrace::Function scope("WordCounter::CountWords", nullptr);
        if (count == nullptr) {
            return scope.SetResult(E_POINTER, "return = E_POINTER");
        }
        try {
            if (utf8Text == nullptr || *utf8Text == '\0') {
                throw SystemException::Win32(ERROR_INVALID_PARAMETER);
            }
            *count = CountWordsOf(utf8Text);
            const string8 number = unicode::to_string8(std::to_string(*count));
            UTrace::Message("%s", unicode::to_string(kCountedWords.Format({ number })).c_str());
            return scope.SetResult(S_OK, "return = S_OK");
        } catch (const TalvaneException& error) {
            // what() is the catalogue's message, in the system code page.
            UTrace::Error("refused: %s", error.what());
            return scope.SetResult(E_INVALIDARG, "return = E_INVALIDARG");
        } catch (const std::exception& error) {
            UTrace::Error("failed: %s", error.what());
            return scope.SetResult(E_FAIL, "return = E_FAIL");
        }
    }

private:
    std::atomic<long> mReferences{ 1 };
};

class WordCounterFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static: it lives as long as the DLL.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        UTrace::Function scope("WordCounterFactory::CreateInstance", nullptr);
        if (object == nullptr) {
            return scope.SetResult(E_POINTER, "return = E_POINTER");
        }
        *object = nullptr;
        if (outer != nullptr) {
            return scope.SetResult(CLASS_E_NOAGGREGATION, "return = CLASS_E_NOAGGREGATION");
        }
        WordCounter* counter = new (std::nothrow) WordCounter();
        if (counter == nullptr) {
            return scope.SetResult(E_OUTOFMEMORY, "return = E_OUTOFMEMORY");
        }
        const HRESULT result = counter->QueryInterface(iid, object);
        counter->Release();  // the caller's reference, if any, keeps it
        return scope.SetResult(result, "return = 0x%08lX", static_cast<unsigned long>(result));
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

WordCounterFactory gFactory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object)
{
    StartTracing();
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (clsid != kClsidWordCounter) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return gFactory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow()
{
    return gObjectsAlive == 0 ? S_OK : S_FALSE;
}
