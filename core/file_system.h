// The file operations the data file needs, behind one seam: the real disk in the
// programs, a scripted stand-in in tests that can fail any step or cut a write short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    virtual bool Size(uint64_t& size) = 0;
    // Reads exactly `bytes` bytes or reports failure.
    virtual bool ReadExactly(void* buffer, std::size_t bytes) = 0;
};

class WritableFile {
public:
    virtual ~WritableFile() = default;
    // Gives the number of bytes written; fewer than asked is a failure (a full disk).
    virtual std::size_t Write(const void* data, std::size_t bytes) = 0;
    // Puts what was written onto the disk itself, not just into a cache.
    virtual bool Flush() = 0;
    virtual bool Close() = 0;
};

// Why a file could not be opened. Only a file that is not there may be taken for a missing
// one: a file another program holds, or one this user may not read, still holds notes.
struct OpenFailure {
    bool notThere = false;  // neither the file nor its folder exists
    std::string reason;     // the system's own words, for a message
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Waits a moment for a file that another program holds before giving up.
    virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& name, OpenFailure& failure) = 0;
    // Creates the file, or truncates it when it exists.
    virtual std::unique_ptr<WritableFile> CreateForWriting(const std::string& name) = 0;
    // Replaces `to` with `from` in one step; `to` need not exist. Waits a moment for a file
    // that another program holds.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    // The same without waiting: for a step whose failure only tells what stands in the way.
    virtual bool ReplaceAtOnce(const std::string& from, const std::string& to) = 0;
    // Moves `from` to `to` only where `to` does not exist; otherwise both stay as they are.
    virtual bool MoveWithoutReplacing(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& name) = 0;
};

// True when `name` is there, readable or not.
bool FileIsThere(FileSystem& files, const std::string& name);

// Whether two paths name one file as Windows matches names: without regard to case.
bool SamePath(const std::string& a, const std::string& b);

// The loop around a system read or write that may move fewer bytes than asked:
// `movePart(offset, left)` moves some of the `left` bytes from `offset` on and gives how
// many, or 0 when it cannot go on. Gives the number of bytes moved.
template <class MovePart>
std::size_t MoveInParts(std::size_t bytes, MovePart movePart) {
    std::size_t done = 0;
    while (done < bytes) {
        const std::size_t moved = movePart(done, bytes - done);
        if (moved == 0) break;
        done += moved;
    }
    return done;
}

// The disk of the machine the core is built for.
FileSystem& DiskFileSystem();
// The same disk with names in UTF-8 whatever the system's code page: for paths the user
// picks, which may hold any script.
FileSystem& DiskFileSystemByUtf8Name();

// A new content for `name`, written under a temporary name beside it, that replaces `name`
// only on Commit after a whole write; dropped unused, it leaves `name` as it was and
// removes the temporary file.
class ReplacementFile {
public:
    ReplacementFile(FileSystem& files, const std::string& name);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // How the new content takes the name.
    enum class Placing {
        Replace,           // over whatever is there, waiting a moment for a held file
        ReplaceAtOnce,     // the same without waiting
        OnlyWhereMissing,  // never over a file: fails where `name` exists
    };

    // A write that fails spoils the replacement: Commit then does nothing.
    void Write(const void* bytes, std::size_t size);
    // With `durable` the file is flushed to the disk first. False when `name` is unchanged.
    bool Commit(bool durable, Placing placing = Placing::Replace);

private:
    FileSystem& files_;
    std::string name_, temporary_;
    std::unique_ptr<WritableFile> file_;
    bool whole_ = false;
};

// Writes `bytes` to `name` so that `name` holds either its old content or all of the new:
// the bytes go to a temporary file beside it, which then replaces it. With `durable`
// the temporary file is flushed to the disk before the replacement. On failure `name`
// is untouched and the temporary file is gone.
bool WriteFileWhole(FileSystem& files, const std::string& name, const void* bytes,
                    std::size_t size, bool durable);

// Copies `from` over `to` the same way; false when `from` cannot be read.
bool CopyFileWhole(FileSystem& files, const std::string& from, const std::string& to,
                   bool durable, ReplacementFile::Placing placing = ReplacementFile::Placing::Replace);
