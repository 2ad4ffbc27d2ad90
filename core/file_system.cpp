#include "file_system.h"

#include <functional>

namespace {

// Writes through a temporary file beside `name` that replaces it only when whole.
bool WriteThroughTemporary(FileSystem& files, const std::string& name, bool durable,
                           const std::function<bool(WritableFile&)>& writeBody) {
    const std::string temporary = name + ".new";
    std::unique_ptr<WritableFile> file = files.CreateForWriting(temporary);
    if (!file) {
        files.Remove(temporary);  // a failed create may still have left a file behind
        return false;
    }
    bool written = writeBody(*file);
    if (written && durable) written = file->Flush();
    const bool closed = file->Close();
    file.reset();
    if (written && closed && files.Replace(temporary, name)) return true;
    files.Remove(temporary);
    return false;
}

}  // namespace

bool WriteFileWhole(FileSystem& files, const std::string& name, const void* bytes,
                    std::size_t size, bool durable) {
    return WriteThroughTemporary(files, name, durable, [&](WritableFile& file) {
        return file.Write(bytes, size) == size;
    });
}

bool CopyFileWhole(FileSystem& files, const std::string& from, const std::string& to,
                   bool durable) {
    std::unique_ptr<ReadableFile> source = files.OpenForReading(from);
    uint64_t size = 0;
    if (!source || !source->Size(size)) return false;
    return WriteThroughTemporary(files, to, durable, [&](WritableFile& file) {
        unsigned char chunk[64 * 1024];  // bounded memory whatever the file's size
        for (uint64_t left = size; left > 0;) {
            const std::size_t part = left < sizeof chunk ? static_cast<std::size_t>(left) : sizeof chunk;
            if (!source->ReadExactly(chunk, part) || file.Write(chunk, part) != part) return false;
            left -= part;
        }
        return true;
    });
}
