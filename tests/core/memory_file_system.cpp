#include "memory_file_system.h"

#include <algorithm>
#include <cstring>

class MemoryReadableFile : public ReadableFile {
public:
    MemoryReadableFile(MemoryFileSystem& owner, Bytes data) : owner_(owner), data_(std::move(data)) {}
    bool Size(uint64_t& size) override {
        size = data_.size();
        return true;
    }
    bool ReadExactly(void* buffer, std::size_t bytes) override {
        owner_.largestRead = std::max(owner_.largestRead, bytes);
        if (bytes > data_.size() - offset_) return false;
        std::memcpy(buffer, data_.data() + offset_, bytes);
        offset_ += bytes;
        return true;
    }

private:
    MemoryFileSystem& owner_;
    Bytes data_;
    std::size_t offset_ = 0;
};

class MemoryWritableFile : public WritableFile {
public:
    MemoryWritableFile(MemoryFileSystem& owner, std::shared_ptr<MemoryFileSystem::FileData> file)
        : owner_(owner), file_(std::move(file)) {}

    std::size_t Write(const void* data, std::size_t bytes) override {
        if (owner_.Fails(FileStep::Write)) return 0;
        if (owner_.Fails(FileStep::ShortWrite)) bytes /= 2;
        const auto* source = static_cast<const unsigned char*>(data);
        std::size_t done = 0;
        while (done < bytes && owner_.diskSpace > 0) {
            const std::size_t part = owner_.byteByByte ? 1 : std::min(bytes - done, owner_.diskSpace);
            file_->data.insert(file_->data.end(), source + done, source + done + part);
            owner_.diskSpace -= part;
            done += part;
            owner_.Changed();
        }
        return done;
    }
    bool Flush() override {
        if (owner_.Fails(FileStep::Flush)) return false;
        file_->synced = file_->data;
        return true;
    }
    bool Close() override { return !owner_.Fails(FileStep::Close); }

private:
    MemoryFileSystem& owner_;
    std::shared_ptr<MemoryFileSystem::FileData> file_;
};

std::unique_ptr<ReadableFile> MemoryFileSystem::OpenForReading(const std::string& name, OpenFailure& failure) {
    auto found = files_.find(name);
    if (found == files_.end()) {
        failure.notThere = true;
        failure.reason = "The system cannot find the file specified.";
        return nullptr;
    }
    if (unreadable.count(name) || Fails(FileStep::OpenForReading)) {
        failure.reason = "The process cannot access the file because it is being used by another process.";
        return nullptr;
    }
    return std::make_unique<MemoryReadableFile>(*this, found->second->data);
}

std::unique_ptr<WritableFile> MemoryFileSystem::CreateForWriting(const std::string& name) {
    if (locked.count(name) || Fails(FileStep::Create)) return nullptr;
    auto file = std::make_shared<FileData>();
    files_[name] = file;
    Changed();
    return std::make_unique<MemoryWritableFile>(*this, file);
}

bool MemoryFileSystem::Replace(const std::string& from, const std::string& to) {
    if (!ReplaceAtOnce(from, to)) {
        if (locked.count(from) || locked.count(to)) ++waitedReplaces;
        return false;
    }
    return true;
}

bool MemoryFileSystem::ReplaceAtOnce(const std::string& from, const std::string& to) {
    if (!files_.count(from) || locked.count(from) || locked.count(to) || Fails(FileStep::Replace)) return false;
    return Move(from, to);
}

bool MemoryFileSystem::MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (beforeMoveWithoutReplacing) beforeMoveWithoutReplacing();
    if (!files_.count(from) || locked.count(from) || locked.count(to) || files_.count(to) ||
        Fails(FileStep::MoveWithoutReplacing))
        return false;
    return Move(from, to);
}

bool MemoryFileSystem::Move(const std::string& from, const std::string& to) {
    auto found = files_.find(from);
    if (found == files_.end()) return false;
    auto file = found->second;
    files_.erase(found);
    files_[to] = file;
    Changed();
    return true;
}

bool MemoryFileSystem::Remove(const std::string& name) {
    if (locked.count(name) || files_.erase(name) == 0) return false;
    Changed();
    return true;
}

Bytes MemoryFileSystem::Get(const std::string& name) const {
    auto found = files_.find(name);
    return found == files_.end() ? Bytes{} : found->second->data;
}

void MemoryFileSystem::Put(const std::string& name, const Bytes& bytes) {
    files_[name] = std::make_shared<FileData>(FileData{bytes, bytes});
}

std::vector<std::string> MemoryFileSystem::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : files_) names.push_back(entry.first);
    return names;
}

std::map<std::string, Bytes> MemoryFileSystem::AfterPowerCut() const {
    std::map<std::string, Bytes> files;
    for (const auto& entry : files_) files[entry.first] = entry.second->synced;
    return files;
}

std::map<std::string, Bytes> MemoryFileSystem::Snapshot() const {
    std::map<std::string, Bytes> files;
    for (const auto& entry : files_) files[entry.first] = entry.second->data;
    return files;
}

void MemoryFileSystem::Restore(const std::map<std::string, Bytes>& files) {
    files_.clear();
    for (const auto& entry : files) Put(entry.first, entry.second);
}
