// The data file: tag, count, the notes, the language, the tag again; its backup
// copy and the steps that recover from a missing or damaged file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_system.h"
#include "note.h"

enum LoadResult {
    LoadOk = 0,
    LoadNoFileBackupExists = 1,
    LoadCannotCreate = 2,
    LoadCorrupt = 3,
    LoadUnreadable = 4,  // a data file or backup is there but cannot be read: nothing was changed
};

// The file that a load found but could not read, and the system's reason.
struct UnreadableFile {
    std::string name;
    std::string reason;
};

extern const char kDataFileName[];     // "tolvek.dat"
extern const char kBackupFileName[];   // "backup.dat"
extern const char kCorruptFileName[];  // "CORRUPT_DATA.dat"

constexpr uint64_t kDataFileOverhead = 16;  // two tags, the count and the language

// The user-interface language: 0 English, 1 Czech, 2 Slovak; any other value is kept as it is.
extern int32_t languageIndex;
constexpr int32_t kLanguageCount = 3;

// A fresh tag for every write, 0 to 32767, from the runtime's generator.
int32_t DrawTag();
// Seeds that generator from the clock, so that two runs draw different tags.
void SeedTagsFromClock();

// The file's bytes for `notes` in the given order.
std::vector<unsigned char> EncodeDataFile(const std::vector<const Note*>& notes,
                                          int32_t language, int32_t tag);

// Writes the whole data file with the current `languageIndex` and a new tag. The old
// file stays as it was unless the new one reached the disk whole.
bool WriteDataFile(FileSystem& files, const std::vector<const Note*>& notes);

// Takes a data file's records as they are read: first their count, then runs of whole
// records in file order.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void Expect(std::size_t count) = 0;
    virtual void Take(const unsigned char* records, std::size_t count) = 0;
};

// Reads the data file, creating an empty one when neither it nor a backup is there. The file
// is read in runs of records, each copied to the backup as it goes, so a large diary is
// never held twice. On LoadOk `languageIndex` has the stored language and the backup has
// been refreshed; otherwise the backup is untouched and the records handed over must be
// dropped. A file that is there but cannot be read is never taken for a missing one: the
// result is then LoadUnreadable, with the file and the reason in `unreadable`.
LoadResult ReadDataFile(FileSystem& files, RecordSink& sink, UnreadableFile& unreadable);

// Recovery steps that start-up runs with the user's answers.
// No data file but a backup: restore it (true) or start an empty diary (false). False when
// the step could not be done. The restore never replaces a data file that appeared meanwhile.
bool RecoverMissingDataFile(FileSystem& files, bool restoreBackup);
// A damaged data file: moved to the corrupt-file name for the user, or copied there and
// then deleted where it cannot be moved. False when it is still there; it is then never
// deleted uncopied, and `blocking` names the file that stood in the way. Waits for a held
// file once, not once a step.
bool SetCorruptDataFileAside(FileSystem& files, std::string* blocking = nullptr);

// The first use of a new data directory (the current one): the diary and its backup that
// `fromDirectory` holds are copied here, so the notes of an earlier run are never lost;
// the originals stay as they are. Nothing is copied where this directory already has a
// diary or a backup, readable or not. False when a copy failed (an original that is there
// but cannot be read included); nothing copied is then left here, so the next try is again
// a first use.
bool CarryOverDiary(FileSystem& files, const std::string& fromDirectory);
