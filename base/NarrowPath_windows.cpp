// Windows: the ANSI code page, else the short (8.3) name.
#include "base/NarrowPath.h"

#include <windows.h>

#include <system_error>

namespace postplay {

namespace {

// `wide` in the ANSI code page, or nothing when the host, reading the text back through that
// code page, would get another name. A UTF-8 code page takes neither the best-fit flag nor the
// default-character check; it refuses unpaired surrogates instead.
std::optional<std::string> ToAnsi(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultCheck = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, usedDefaultCheck);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, wide.data(), length, text.data(), size, nullptr, usedDefaultCheck) != size ||
        usedDefault)
        return std::nullopt;

    // The round trip is what counts: the host turns the text back into a name the same way.
    const int back = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (back <= 0) return std::nullopt;
    std::wstring readBack(static_cast<std::size_t>(back), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), size, readBack.data(), back) != back || readBack != wide)
        return std::nullopt;
    return text;
}

// The short (8.3) form of an existing file or folder, or nothing.
std::optional<std::wstring> ShortName(const std::filesystem::path& existing) {
    const DWORD needed = GetShortPathNameW(existing.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring shortName(needed, L'\0');
    const DWORD written = GetShortPathNameW(existing.c_str(), shortName.data(), needed);
    if (written == 0 || written >= needed) return std::nullopt;
    shortName.resize(written);
    return shortName;
}

// The short name of `path`'s longest existing part, followed by the missing rest as written.
std::optional<std::string> ShortNameText(const std::filesystem::path& path) {
    std::filesystem::path existing = path;
    std::filesystem::path rest;
    for (;;) {
        std::error_code error;
        if (std::filesystem::exists(existing, error)) break;
        if (!existing.has_relative_path()) return std::nullopt; // not even the root is there
        rest = rest.empty() ? existing.filename() : existing.filename() / rest;
        existing = existing.parent_path();
    }
    const auto shortName = ShortName(existing);
    if (!shortName) return std::nullopt;
    std::filesystem::path full(*shortName);
    if (!rest.empty()) full /= rest;
    return ToAnsi(full.native());
}

} // namespace

std::optional<std::string> NarrowPathText(const std::filesystem::path& path) {
    try {
        if (auto text = ToAnsi(path.native())) return text;
        return ShortNameText(path);
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace postplay
