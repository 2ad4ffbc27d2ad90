// The ordered list of notes that the tray program keeps from start-up to shut-down.
#pragma once

#include <cstdint>
#include <vector>

#include "data_file.h"
#include "file_system.h"
#include "note.h"

// A note's identity for as long as it is stored. Dialogs and reminder passes hold this,
// not a position: positions move when a nested pass adds or removes notes.
using NoteId = uint64_t;
constexpr NoteId kNoNote = 0;

class NoteStore {
public:
    // Loads the data file; Result() tells how that went. Unless it is LoadOk the list is empty.
    explicit NoteStore(FileSystem& files);
    // Saves when the store was loaded whole, so a failed load never overwrites the file.
    ~NoteStore();
    NoteStore(const NoteStore&) = delete;
    NoteStore& operator=(const NoteStore&) = delete;

    LoadResult Result() const { return loadResult_; }
    // After LoadUnreadable: which file could not be read, and why.
    const UnreadableFile& Unreadable() const { return unreadable_; }
    uint32_t Count() const { return static_cast<uint32_t>(entries_.size()); }
    // Callers keep 0 <= position < Count().
    Note& At(uint32_t position) { return entries_[position].note; }
    const Note& At(uint32_t position) const { return entries_[position].note; }
    NoteId IdAt(uint32_t position) const { return entries_[position].id; }
    // False when the note is no longer stored. Constant time: the passes look up every note.
    bool Find(NoteId id, uint32_t& position) const;

    // Puts a copy of the note after every note that occurs on or before it; no save.
    NoteId Insert(const Note& note);
    // Insert, then Save; gives the note's identity and whether the save succeeded.
    bool Add(const Note& note, NoteId* id = nullptr);
    // Puts copies of all `notes` where Insert would, in one ordered merge, then saves once.
    bool AddAll(const std::vector<Note>& notes);
    // Removes the note, then saves; gives whether the save succeeded.
    bool RemoveAt(uint32_t position);
    // Puts `note` in place of the stored note `id` at its ordered place, in one save; when
    // that note is gone meanwhile, adds `note`. Gives the save's result.
    bool Replace(NoteId id, const Note& note, NoteId* newId = nullptr);
    // Writes the whole list; false when the file on disk is still the old one.
    bool Save();
    void Clear();
    // Saves and empties the store for good, so that its destruction writes nothing more;
    // gives whether the save succeeded.
    bool Close();

    // A note with its identity, as the store keeps it.
    struct StoredNote {
        NoteId id;
        Note note;
    };

private:

    LoadResult Load();
    // Records the positions of the notes from `from` on, after they moved.
    void NotePositionsFrom(std::size_t from);
    void Erase(uint32_t position);

    static constexpr uint32_t kGone = UINT32_MAX;

    FileSystem& files_;
    std::vector<StoredNote> entries_;
    // By identity, every note's position, or kGone once it has left the store. Identities
    // are handed out in turn and never reused, so this grows by one a note ever stored.
    std::vector<uint32_t> positions_{kGone};
    NoteId lastId_ = kNoNote;
    UnreadableFile unreadable_;
    LoadResult loadResult_;
    bool closed_ = false;
};
