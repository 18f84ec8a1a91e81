// Windows: a temporary flushed and put in place with ReplaceFileW, or MoveFileExW written
// through; Windows has no sync of a folder.
#include "storage/DurableFileSteps.h"

#include <windows.h>

#include <algorithm>

#include <fmt/format.h>

#include "host/PathText.h"
#include "storage/TemporaryFile.h"

namespace postplay::durable {

namespace fs = std::filesystem;

namespace {

// The system's text for a Windows error code, as UTF-8 without the final full stop.
std::string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length = FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    message.erase(message.find_last_not_of(L"\r\n .") + 1); // npos + 1 empties a text of only those
    if (message.empty()) return fmt::format("system error {}", error);
    return PathToUtf8(fs::path(message));
}

// A file handle, closed when it goes.
class Handle {
public:
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    HANDLE get() const { return handle; }
    bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    void Adopt(HANDLE opened) { handle = opened; }
    // Closes it now: 0, or the error code of a close that failed.
    DWORD Close() {
        const HANDLE closing = std::exchange(handle, INVALID_HANDLE_VALUE);
        return CloseHandle(closing) ? 0 : GetLastError();
    }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};

// Writes all of `contents` at the handle's position: 0 or the error code.
DWORD WriteAll(HANDLE file, const std::string& contents) {
    constexpr std::size_t kChunk = MAXDWORD; // the most one WriteFile takes
    std::size_t done = 0;
    while (done < contents.size()) {
        const DWORD size = static_cast<DWORD>((std::min)(contents.size() - done, kChunk));
        DWORD written = 0;
        if (!WriteFile(file, contents.data() + done, size, &written, nullptr)) return GetLastError();
        done += written;
    }
    return 0;
}

unsigned long LinkCount(const fs::path& file) {
    Handle handle;
    handle.Adopt(CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &information)) return 1;
    return information.nNumberOfLinks;
}

// Creates this write's temporary beside `target`, exclusively: 0 or the error code.
DWORD CreateTemporary(const fs::path& target, fs::path& temporary, Handle& out) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = TemporaryBeside(target);
        const HANDLE created =
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            out.Adopt(created);
            return 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

Outcome StepFailed(const char* step, DWORD error) {
    return Outcome::Failed(std::string(step) + ": " + SystemMessage(error));
}

HANDLE HandleOf(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

} // namespace

std::string Probe(const fs::path& target, OldFile& old) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
        return "the file's status cannot be read: " + SystemMessage(error);
    }
    old.exists = true;
    old.regular = (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    old.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    old.links = LinkCount(target); // a folder or device cannot be opened: 1
    return {};
}

// ReplaceFileW keeps the replaced file's attributes, security and identity in the folder;
// without a file to replace, the move is written through before it returns. Windows has no
// sync of a folder.
Outcome ReplaceThroughTemporary(const fs::path& target, const OldFile& old, const std::string& contents) {
    TemporaryFile made;
    Handle out;
    fs::path temporary;
    if (const DWORD error = CreateTemporary(target, temporary, out)) {
        if (old.exists && error == ERROR_ACCESS_DENIED) return Outcome::InPlace();
        return StepFailed("the temporary file beside it cannot be created", error);
    }
    made.Adopt(temporary);
    if (const DWORD error = WriteAll(out.get(), contents)) {
        return StepFailed("writing the new file failed", error);
    }
    if (!FlushFileBuffers(out.get())) return StepFailed("syncing the new file failed", GetLastError());
    if (const DWORD error = out.Close()) return StepFailed("closing the new file failed", error);
    const bool placed =
        old.exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                  nullptr)
                   : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!placed) return StepFailed("putting the new file in place failed", GetLastError());
    return {};
}

InPlaceFile::~InPlaceFile() {
    if (HandleOf(native) != INVALID_HANDLE_VALUE) CloseHandle(HandleOf(native));
}

std::string InPlaceFile::Open(const fs::path& target) {
    const HANDLE file = CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    native = reinterpret_cast<std::intptr_t>(file);
    return file != INVALID_HANDLE_VALUE ? std::string() : SystemMessage(GetLastError());
}

std::string InPlaceFile::Read(std::string& text) {
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(HandleOf(native), buffer, sizeof buffer, &got, nullptr)) return SystemMessage(GetLastError());
        if (got == 0) return {};
        text.append(buffer, got);
    }
}

std::string InPlaceFile::Overwrite(const std::string& contents) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(HandleOf(native), start, nullptr, FILE_BEGIN)) {
        return "while writing: " + SystemMessage(GetLastError());
    }
    if (const DWORD error = WriteAll(HandleOf(native), contents)) return "while writing: " + SystemMessage(error);
    if (!SetEndOfFile(HandleOf(native))) return "while cutting it to its new length: " + SystemMessage(GetLastError());
    return {};
}

std::string InPlaceFile::Sync() {
    return FlushFileBuffers(HandleOf(native)) ? std::string() : "while syncing: " + SystemMessage(GetLastError());
}

} // namespace postplay::durable
