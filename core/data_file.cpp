#include "data_file.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>

const char kDataFileName[] = "tolvek.dat";
const char kBackupFileName[] = "backup.dat";
const char kCorruptFileName[] = "CORRUPT_DATA.dat";

int32_t languageIndex = 0;

int32_t DrawTag() { return static_cast<int32_t>(std::rand() & 0x7FFF); }

void SeedTagsFromClock() { std::srand(static_cast<unsigned>(std::time(nullptr))); }

std::vector<unsigned char> EncodeDataFile(const std::vector<const Note*>& notes,
                                          int32_t language, int32_t tag) {
    std::vector<unsigned char> bytes(kDataFileOverhead + kNoteRecordSize * notes.size());
    unsigned char* cursor = bytes.data();
    PutInt32(cursor, tag);
    PutInt32(cursor + 4, static_cast<int32_t>(static_cast<uint32_t>(notes.size())));
    cursor += 8;
    for (const Note* note : notes) {
        EncodeNote(*note, cursor);
        cursor += kNoteRecordSize;
    }
    PutInt32(cursor, language);
    PutInt32(cursor + 4, tag);
    return bytes;
}

bool WriteDataFile(FileSystem& files, const std::vector<const Note*>& notes) {
    const std::vector<unsigned char> bytes = EncodeDataFile(notes, languageIndex, DrawTag());
    return WriteFileWhole(files, kDataFileName, bytes.data(), bytes.size(), true);
}

namespace {

// Writes the empty diary under a name of its own and moves it into place only where no
// "tolvek.dat" has appeared meanwhile: it never replaces a file.
void CreateEmptyDataFile(FileSystem& files) {
    const std::vector<unsigned char> empty = EncodeDataFile({}, languageIndex, DrawTag());
    ReplacementFile file(files, kDataFileName);
    file.Write(empty.data(), empty.size());
    file.Commit(true, ReplacementFile::Placing::OnlyWhereMissing);
}

LoadResult Unreadable(const char* name, const OpenFailure& failure, UnreadableFile& unreadable) {
    unreadable = {name, failure.reason};
    return LoadUnreadable;
}

}  // namespace

LoadResult ReadDataFile(FileSystem& files, RecordSink& sink, UnreadableFile& unreadable) {
    std::unique_ptr<ReadableFile> file;
    // Twice at most: once as found, once after creating the empty diary (or finding that
    // another program made one meanwhile, which is then read instead).
    for (bool created = false; !file; created = true) {
        OpenFailure failure;
        file = files.OpenForReading(kDataFileName, failure);
        if (file) break;
        if (!failure.notThere) return Unreadable(kDataFileName, failure, unreadable);
        if (created) return LoadCannotCreate;
        OpenFailure backupFailure;
        if (files.OpenForReading(kBackupFileName, backupFailure)) return LoadNoFileBackupExists;
        // An empty diary's load would write its backup over this one.
        if (!backupFailure.notThere) return Unreadable(kBackupFileName, backupFailure, unreadable);
        CreateEmptyDataFile(files);
    }
    // The stated count is checked against the file's size before anything is allocated,
    // so a damaged count can neither allocate nor loop for long.
    uint64_t size = 0;
    unsigned char header[8];
    if (!file->Size(size) || size < kDataFileOverhead || !file->ReadExactly(header, sizeof header))
        return LoadCorrupt;
    const uint64_t count = static_cast<uint32_t>(GetInt32(header + 4));
    if (kDataFileOverhead + kNoteRecordSize * count > size) return LoadCorrupt;  // ends early

    // It replaces "backup.dat" only once the file has proved whole, and only flushed: a power
    // cut after the rename must not leave an empty "backup.dat" in place of the last good one.
    ReplacementFile backup(files, kBackupFileName);
    backup.Write(header, sizeof header);
    sink.Expect(static_cast<std::size_t>(count));
    constexpr uint64_t kRunLength = 512;  // records per read: 62 KB
    std::vector<unsigned char> run(kNoteRecordSize * static_cast<std::size_t>(std::min(count, kRunLength)));
    for (uint64_t left = count; left > 0;) {
        const std::size_t records = static_cast<std::size_t>(std::min(left, kRunLength));
        if (!file->ReadExactly(run.data(), kNoteRecordSize * records)) return LoadCorrupt;
        backup.Write(run.data(), kNoteRecordSize * records);
        sink.Take(run.data(), records);
        left -= records;
    }
    unsigned char trailer[8];
    if (!file->ReadExactly(trailer, sizeof trailer) || GetInt32(header) != GetInt32(trailer + 4))
        return LoadCorrupt;
    file.reset();
    languageIndex = GetInt32(trailer);
    backup.Write(trailer, sizeof trailer);
    backup.Commit(true);
    return LoadOk;
}

bool RecoverMissingDataFile(FileSystem& files, bool restoreBackup) {
    // A diary that appeared while the user was asked is newer than the backup: it stays, and
    // the next load reads it.
    if (restoreBackup)
        return CopyFileWhole(files, kBackupFileName, kDataFileName, true, ReplacementFile::Placing::OnlyWhereMissing) ||
               FileIsThere(files, kDataFileName);
    return files.Remove(kBackupFileName);
}

bool SetCorruptDataFileAside(FileSystem& files, std::string* blocking) {
    // One move where it can: the user's file is never deleted uncopied. It waits a moment
    // for a held file.
    if (files.Replace(kDataFileName, kCorruptFileName)) return true;
    // The move may fail for a moment only; a whole copy first, then the delete. The copy
    // does not wait again: failing at once, it tells which of the two files is in the way.
    std::string blocker;
    if (!CopyFileWhole(files, kDataFileName, kCorruptFileName, true, ReplacementFile::Placing::ReplaceAtOnce))
        blocker = kCorruptFileName;
    else if (!files.Remove(kDataFileName))
        blocker = kDataFileName;
    if (blocking) *blocking = blocker;
    return blocker.empty();
}

bool CarryOverDiary(FileSystem& files, const std::string& fromDirectory) {
    // A diary here that cannot be read is still the user's: never copied over.
    if (FileIsThere(files, kDataFileName) || FileIsThere(files, kBackupFileName)) return true;
    std::string prefix = fromDirectory;
    if (!prefix.empty() && prefix.back() != '\\' && prefix.back() != '/') prefix += '\\';
    for (const char* name : {kDataFileName, kBackupFileName}) {
        const std::string source = prefix + name;
        if (!FileIsThere(files, source)) continue;
        if (!CopyFileWhole(files, source, name, true)) {
            files.Remove(kDataFileName);
            files.Remove(kBackupFileName);
            return false;
        }
    }
    return true;
}
