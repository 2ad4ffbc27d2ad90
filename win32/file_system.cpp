// The disk on Windows: the data file is replaced with MoveFileExA after FlushFileBuffers,
// so there is never a moment without a whole "tolvek.dat".
#include <windows.h>

#include <string>

#include "text_conversions.h"
#include "file_system.h"

namespace {

// Errors after which another program may soon let go of the file: a backup or sync tool,
// an editor, a virus scanner.
bool HeldByAnother(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Tries `attempt` for about two seconds while the file is held; gives whether it worked,
// and leaves the last error for GetLastError.
template <class Attempt>
bool WhileHeld(Attempt attempt) {
    for (int tries = 0;; ++tries) {
        if (attempt()) return true;
        const DWORD error = GetLastError();
        if (!HeldByAnother(error) || tries >= 40) {
            SetLastError(error);
            return false;
        }
        Sleep(50);
    }
}

std::string SystemReason(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length > 0 && text ? std::string(text, length) : "";
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    if (reason.empty()) reason = "System error " + std::to_string(error);
    return reason;
}

// One call moves at most 1 GiB: the count is a DWORD.
DWORD Part(std::size_t left) { return left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left); }

class Win32ReadableFile : public ReadableFile {
public:
    explicit Win32ReadableFile(HANDLE file) : file_(file) {}
    ~Win32ReadableFile() override { CloseHandle(file_); }

    bool Size(uint64_t& size) override {
        LARGE_INTEGER length;
        if (!GetFileSizeEx(file_, &length) || length.QuadPart < 0) return false;
        size = static_cast<uint64_t>(length.QuadPart);
        return true;
    }
    bool ReadExactly(void* buffer, std::size_t bytes) override {
        auto* target = static_cast<char*>(buffer);
        return MoveInParts(bytes, [&](std::size_t offset, std::size_t left) -> std::size_t {
            DWORD got = 0;
            return ReadFile(file_, target + offset, Part(left), &got, nullptr) ? got : 0;
        }) == bytes;
    }

private:
    HANDLE file_;
};

class Win32WritableFile : public WritableFile {
public:
    explicit Win32WritableFile(HANDLE file) : file_(file) {}
    ~Win32WritableFile() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }

    std::size_t Write(const void* data, std::size_t bytes) override {
        const auto* source = static_cast<const char*>(data);
        return MoveInParts(bytes, [&](std::size_t offset, std::size_t left) -> std::size_t {
            DWORD put = 0;
            return WriteFile(file_, source + offset, Part(left), &put, nullptr) ? put : 0;
        });
    }
    bool Flush() override { return FlushFileBuffers(file_) != 0; }
    bool Close() override {
        const BOOL closed = CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        return closed != 0;
    }

private:
    HANDLE file_;
};

// Names in the ANSI code page (the data files beside the program), or in UTF-8 (paths the
// user picked in a file dialog).
class Win32FileSystem : public FileSystem {
public:
    explicit Win32FileSystem(bool utf8Names) : utf8Names_(utf8Names) {}

    std::unique_ptr<ReadableFile> OpenForReading(const std::string& name, OpenFailure& failure) override {
        HANDLE file = INVALID_HANDLE_VALUE;
        const bool opened = WhileHeld([&] {
            file = Open(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
            return file != INVALID_HANDLE_VALUE;
        });
        if (opened) return std::make_unique<Win32ReadableFile>(file);
        const DWORD error = GetLastError();
        failure.notThere = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        failure.reason = SystemReason(error);
        return nullptr;
    }
    std::unique_ptr<WritableFile> CreateForWriting(const std::string& name) override {
        const HANDLE file = Open(name, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (file == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<Win32WritableFile>(file);
    }
    bool Replace(const std::string& from, const std::string& to) override {
        // A read-only file or a folder in the way stays so: no use waiting for it.
        const DWORD attributes =
            utf8Names_ ? GetFileAttributesW(WideFromUtf8(to).c_str()) : GetFileAttributesA(to.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
            return ReplaceAtOnce(from, to);
        return WhileHeld([&] { return ReplaceAtOnce(from, to); });
    }
    bool ReplaceAtOnce(const std::string& from, const std::string& to) override {
        return Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    bool MoveWithoutReplacing(const std::string& from, const std::string& to) override {
        return Move(from, to, MOVEFILE_WRITE_THROUGH);
    }
    bool Remove(const std::string& name) override {
        return (utf8Names_ ? DeleteFileW(WideFromUtf8(name).c_str()) : DeleteFileA(name.c_str())) != 0;
    }

private:
    HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition) const {
        if (utf8Names_)
            return CreateFileW(WideFromUtf8(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        return CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    bool Move(const std::string& from, const std::string& to, DWORD flags) const {
        if (utf8Names_) return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), flags) != 0;
        return MoveFileExA(from.c_str(), to.c_str(), flags) != 0;
    }

    bool utf8Names_;
};

}  // namespace

FileSystem& DiskFileSystem() {
    static Win32FileSystem disk(false);
    return disk;
}

FileSystem& DiskFileSystemByUtf8Name() {
    static Win32FileSystem disk(true);
    return disk;
}
