// The optional settings file beside the stand-in component.
#pragma once

#include <cstdint>
#include <string>

namespace standin {

// Reads vantorelconfig.ini beside the component file; each value falls back
// to its default when the file or the key is absent.
class Settings {
public:
    Settings();

    int32_t Int(const wchar_t* section, const wchar_t* key, int32_t fallback) const;
    std::string Text(const wchar_t* section, const wchar_t* key, const std::string& fallback) const;
    bool Has(const wchar_t* section, const wchar_t* key) const;

private:
    std::wstring mPath;
};

}  // namespace standin
