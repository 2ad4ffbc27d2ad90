#include "note_store.h"

#include <algorithm>

#include "date_rules.h"

NoteStore::NoteStore(FileSystem& files) : files_(files), loadResult_(Load()) {}

NoteStore::~NoteStore() {
    if (loadResult_ == LoadOk && !closed_) Save();
    Clear();
}

bool NoteStore::Close() {
    const bool saved = loadResult_ == LoadOk && Save();
    Clear();
    closed_ = true;
    return saved;
}

LoadResult NoteStore::Load() {
    DiaryImage diary;
    const LoadResult result = ReadDataFile(files_, diary);
    if (result != LoadOk) return result;

    // Sorting on (next occurrence, place in the file) gives exactly the order of inserting
    // the records one by one, each after every note on or before it, in O(n log n).
    struct SortKey {
        ResolvedDate date;
        std::size_t index;
    };
    const Today today = ReadToday();
    const std::size_t count = diary.Count();
    std::vector<SortKey> keys(count);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* record = diary.Record(i);
        keys[i] = {ResolveAgainst(today, GetInt32(record + 8), GetInt32(record + 4), GetInt32(record)), i};
    }
    std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) {
        if (a.date.year != b.date.year) return a.date.year < b.date.year;
        if (a.date.month != b.date.month) return a.date.month < b.date.month;
        if (a.date.day != b.date.day) return a.date.day < b.date.day;
        return a.index < b.index;
    });
    entries_.reserve(count);
    for (const SortKey& key : keys) entries_.push_back({++lastId_, DecodeNote(diary.Record(key.index))});
    return LoadOk;
}

bool NoteStore::Find(NoteId id, uint32_t& position) const {
    for (uint32_t i = 0; i < Count(); ++i) {
        if (entries_[i].id == id) {
            position = i;
            return true;
        }
    }
    return false;
}

NoteId NoteStore::Insert(const Note& note) {
    // One reading of today for the whole walk, so a walk across midnight stays consistent.
    const Today today = ReadToday();
    auto place = entries_.begin();
    while (place != entries_.end() && OccursNoLaterThan(today, place->note, note)) ++place;
    const NoteId id = ++lastId_;
    entries_.insert(place, StoredNote{id, note});
    return id;
}

bool NoteStore::Add(const Note& note, NoteId* id) {
    const NoteId added = Insert(note);
    if (id) *id = added;
    return Save();
}

bool NoteStore::RemoveAt(uint32_t position) {
    entries_.erase(entries_.begin() + position);
    return Save();
}

bool NoteStore::Replace(NoteId id, const Note& note, NoteId* newId) {
    uint32_t position = 0;
    if (Find(id, position)) entries_.erase(entries_.begin() + position);
    return Add(note, newId);
}

bool NoteStore::Save() {
    std::vector<const Note*> notes;
    notes.reserve(entries_.size());
    for (const StoredNote& entry : entries_) notes.push_back(&entry.note);
    return WriteDataFile(files_, notes);
}
