// An in-memory disk for the core's tests: it can fail any file operation, cut a
// write short, and show what would survive a power cut at any moment.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "file_system.h"

using Bytes = std::vector<unsigned char>;

enum class FileStep { None, Create, Write, ShortWrite, Flush, Close, Replace, OpenForReading, MoveWithoutReplacing };

class MemoryFileSystem : public FileSystem {
public:
    struct FileData {
        Bytes data;    // what the running program sees
        Bytes synced;  // what a power cut would leave: the content at the last flush
    };

    std::unique_ptr<ReadableFile> OpenForReading(const std::string& name, OpenFailure& failure) override;
    std::unique_ptr<WritableFile> CreateForWriting(const std::string& name) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool ReplaceAtOnce(const std::string& from, const std::string& to) override;
    bool MoveWithoutReplacing(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& name) override;

    // Direct access for tests.
    bool Has(const std::string& name) const { return files_.count(name) != 0; }
    Bytes Get(const std::string& name) const;
    void Put(const std::string& name, const Bytes& bytes);  // as if flushed long ago
    std::vector<std::string> Names() const;
    // Every file as a power cut now would leave it.
    std::map<std::string, Bytes> AfterPowerCut() const;
    std::map<std::string, Bytes> Snapshot() const;
    void Restore(const std::map<std::string, Bytes>& files);

    // Fault injection: `failing` step fails on its next use; `diskSpace` caps the bytes
    // a write can add; `byteByByte` makes every byte its own write, so that
    // `afterEveryChange` sees the disk at every byte offset of a write.
    FileStep failing = FileStep::None;
    std::size_t diskSpace = SIZE_MAX;
    bool byteByByte = false;
    std::function<void()> afterEveryChange;
    // Names that can be neither written, replaced, moved nor deleted for as long as they
    // are here: a read-only file, a directory of that name, a file another program holds.
    std::set<std::string> locked;
    // Names that are there but refuse to be read: held by another program, or not this
    // user's to read.
    std::set<std::string> unreadable;
    // Runs just before a move that must not replace anything: another program's moment.
    std::function<void()> beforeMoveWithoutReplacing;
    std::size_t largestRead = 0;
    // Replaces that failed on a held name: each would have waited on the real disk.
    int waitedReplaces = 0;

private:
    friend class MemoryWritableFile;
    void Changed() {
        if (afterEveryChange) afterEveryChange();
    }
    bool Fails(FileStep step) {
        if (failing != step) return false;
        failing = FileStep::None;
        return true;
    }

    bool Move(const std::string& from, const std::string& to);

    friend class MemoryReadableFile;
    std::map<std::string, std::shared_ptr<FileData>> files_;
};
