// The disk on POSIX systems (the host build and its tests).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "file_system.h"

namespace {

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
        while (bytes > 0) {
            const ssize_t got = ::read(descriptor_, target, bytes);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            target += got;
            bytes -= static_cast<std::size_t>(got);
        }
        return true;
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
        std::size_t done = 0;
        while (done < bytes) {
            const ssize_t put = ::write(descriptor_, source + done, bytes - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) break;
            done += static_cast<std::size_t>(put);
        }
        return done;
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
    std::unique_ptr<ReadableFile> OpenForReading(const std::string& name) override {
        const int descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) return nullptr;
        return std::make_unique<PosixReadableFile>(descriptor);
    }

    std::unique_ptr<WritableFile> CreateForWriting(const std::string& name) override {
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (descriptor < 0) return nullptr;
        return std::make_unique<PosixWritableFile>(descriptor);
    }

    bool Replace(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }

    bool Remove(const std::string& name) override { return ::unlink(name.c_str()) == 0; }
};

}  // namespace

FileSystem& DiskFileSystem() {
    static PosixFileSystem disk;
    return disk;
}
