// The disk on POSIX systems (the host build and its tests).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_system.h"

namespace {

// A read or write retried when a signal interrupts it; gives the bytes moved, 0 on failure.
template <class Call>
std::size_t Retried(Call call) {
    for (;;) {
        const ssize_t moved = call();
        if (moved < 0 && errno == EINTR) continue;
        return moved > 0 ? static_cast<std::size_t>(moved) : 0;
    }
}

class PosixReadableFile : public ReadableFile {
public:
    explicit PosixReadableFile(int descriptor) : descriptor_(descriptor) {}
    ~PosixReadableFile() override { ::close(descriptor_); }

    bool Size(uint64_t& size) override {
        struct stat status {};
        if (::fstat(descriptor_, &status) != 0 || status.st_size < 0) return false;
        size = static_cast<uint64_t>(status.st_size);
        return true;
    }

    bool ReadExactly(void* buffer, std::size_t bytes) override {
        auto* target = static_cast<unsigned char*>(buffer);
        return MoveInParts(bytes, [&](std::size_t offset, std::size_t left) {
            return Retried([&] { return ::read(descriptor_, target + offset, left); });
        }) == bytes;
    }

private:
    int descriptor_;
};

class PosixWritableFile : public WritableFile {
public:
    explicit PosixWritableFile(int descriptor) : descriptor_(descriptor) {}
    ~PosixWritableFile() override {
        if (descriptor_ >= 0) ::close(descriptor_);
    }

    std::size_t Write(const void* data, std::size_t bytes) override {
        const auto* source = static_cast<const unsigned char*>(data);
        return MoveInParts(bytes, [&](std::size_t offset, std::size_t left) {
            return Retried([&] { return ::write(descriptor_, source + offset, left); });
        });
    }

    bool Flush() override { return ::fsync(descriptor_) == 0; }

    bool Close() override {
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result == 0;
    }

private:
    int descriptor_;
};

class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<ReadableFile> OpenForReading(const std::string& name, OpenFailure& failure) override {
        const int descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        int error = descriptor < 0 ? errno : 0;
        struct stat status {};
        // A directory opens here but is no file: it is there, and it cannot be read.
        if (descriptor >= 0 && ::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
            ::close(descriptor);
            error = EISDIR;
        }
        if (error == 0) return std::make_unique<PosixReadableFile>(descriptor);
        failure.notThere = error == ENOENT;
        failure.reason = std::strerror(error);
        return nullptr;
    }

    std::unique_ptr<WritableFile> CreateForWriting(const std::string& name) override {
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (descriptor < 0) return nullptr;
        return std::make_unique<PosixWritableFile>(descriptor);
    }

    bool Replace(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }

    // Nothing here holds a file the way Windows does: there is nothing to wait for.
    bool ReplaceAtOnce(const std::string& from, const std::string& to) override { return Replace(from, to); }

    bool MoveWithoutReplacing(const std::string& from, const std::string& to) override {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno != EINVAL && errno != ENOSYS) return false;
        // A file system without the flag: a second name, which fails where `to` exists.
        return ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
    }

    bool Remove(const std::string& name) override { return ::unlink(name.c_str()) == 0; }
};

}  // namespace

FileSystem& DiskFileSystem() {
    static PosixFileSystem disk;
    return disk;
}

// Names here are bytes, UTF-8 by convention.
FileSystem& DiskFileSystemByUtf8Name() { return DiskFileSystem(); }
