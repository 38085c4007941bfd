#include "score_store.h"

#include <windows.h>

#include <string>

namespace cardtest {
namespace {
struct FileHandle {
    HANDLE h;
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

std::wstring FolderOf(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    wchar_t* name = nullptr;
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, &name);
    if (n == 0 || n >= MAX_PATH || !name) return L".";
    return std::wstring(full, static_cast<size_t>(name - full));
}
} // namespace

StoredScore ReadScoreStore(const std::wstring& path) {
    FileHandle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return {};
        return {std::nullopt, error == ERROR_PATH_NOT_FOUND ? kFileNotFound : kPathFileAccessError};
    }
    std::string bytes;
    char buffer[4096];
    for (DWORD got = 0;; bytes.append(buffer, got)) {
        if (!ReadFile(file.h, buffer, sizeof buffer, &got, nullptr)) return {std::nullopt, kPathFileAccessError};
        if (got == 0) return {std::move(bytes), std::nullopt};
    }
}

std::optional<RunTimeError> ReplaceScoreStore(const std::wstring& path, std::string_view contents,
                                              bool existed) {
    // A rename may replace a read-only file where writing it would not; it stays the user's to protect.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (existed) return kFileNotFound;
    } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        return kPathFileAccessError;
    }
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(path).c_str(), L"scr", 0, temp)) return kPathFileAccessError;
    DWORD error = ERROR_SUCCESS;
    {
        FileHandle file{CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
        DWORD put = 0;
        if (file.h == INVALID_HANDLE_VALUE ||
            !WriteFile(file.h, contents.data(), static_cast<DWORD>(contents.size()), &put, nullptr) ||
            !FlushFileBuffers(file.h))
            error = GetLastError();
        else if (put != contents.size())
            error = ERROR_DISK_FULL; // a short write: no room for the rest
    }
    if (error == ERROR_SUCCESS &&
        MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return std::nullopt;
    if (error == ERROR_SUCCESS) error = GetLastError();
    DeleteFileW(temp);
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? kDiskFull : kPathFileAccessError;
}

} // namespace cardtest
