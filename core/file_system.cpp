#include "file_system.h"

#include <cctype>

bool FileIsThere(FileSystem& files, const std::string& name) {
    OpenFailure failure;
    return files.OpenForReading(name, failure) != nullptr || !failure.notThere;
}

bool SamePath(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

ReplacementFile::ReplacementFile(FileSystem& files, const std::string& name)
    : files_(files), name_(name), temporary_(name + ".new"), file_(files.CreateForWriting(temporary_)) {
    whole_ = file_ != nullptr;
}

ReplacementFile::~ReplacementFile() {
    if (file_) file_->Close();
    file_.reset();
    // Also after a failed create, which may still have left a file behind.
    if (!name_.empty()) files_.Remove(temporary_);
}

void ReplacementFile::Write(const void* bytes, std::size_t size) {
    if (whole_) whole_ = file_->Write(bytes, size) == size;
}

bool ReplacementFile::Commit(bool durable, Placing placing) {
    if (!file_) return false;
    bool written = whole_ && (!durable || file_->Flush());
    written = file_->Close() && written;
    file_.reset();
    if (!written) return false;
    bool placed = false;
    switch (placing) {
        case Placing::Replace: placed = files_.Replace(temporary_, name_); break;
        case Placing::ReplaceAtOnce: placed = files_.ReplaceAtOnce(temporary_, name_); break;
        case Placing::OnlyWhereMissing: placed = files_.MoveWithoutReplacing(temporary_, name_); break;
    }
    if (!placed) return false;
    name_.clear();  // committed: nothing to remove
    return true;
}

bool WriteFileWhole(FileSystem& files, const std::string& name, const void* bytes,
                    std::size_t size, bool durable) {
    ReplacementFile file(files, name);
    file.Write(bytes, size);
    return file.Commit(durable);
}

bool CopyFileWhole(FileSystem& files, const std::string& from, const std::string& to,
                   bool durable, ReplacementFile::Placing placing) {
    OpenFailure failure;
    std::unique_ptr<ReadableFile> source = files.OpenForReading(from, failure);
    uint64_t size = 0;
    if (!source || !source->Size(size)) return false;
    ReplacementFile copy(files, to);
    unsigned char chunk[64 * 1024];  // bounded memory whatever the file's size
    for (uint64_t left = size; left > 0;) {
        const std::size_t part = left < sizeof chunk ? static_cast<std::size_t>(left) : sizeof chunk;
        if (!source->ReadExactly(chunk, part)) return false;
        copy.Write(chunk, part);
        left -= part;
    }
    return copy.Commit(durable, placing);
}
