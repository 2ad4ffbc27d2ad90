#include "note_store.h"

#include <algorithm>
#include <numeric>

#include "date_rules.h"

NoteStore::NoteStore(FileSystem& files) : files_(files), loadResult_(Load()) {}

NoteStore::~NoteStore() {
    if (loadResult_ == LoadOk) Save();
    Clear();
}

LoadResult NoteStore::Load() {
    std::vector<Note> notes;
    const LoadResult result = ReadDataFile(files_, notes);
    if (result != LoadOk) return result;

    // A stable sort on next occurrence gives exactly the order of inserting the records
    // one by one (each goes after every note on or before it), in O(n log n).
    const Today today = ReadToday();
    std::vector<ResolvedDate> keys;
    keys.reserve(notes.size());
    for (const Note& note : notes) keys.push_back(ResolveAgainst(today, note.day, note.month, note.year));
    std::vector<std::size_t> order(notes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return !IsOnOrBefore(keys[b], keys[a]);
    });
    entries_.reserve(notes.size());
    for (std::size_t index : order) entries_.push_back({++lastId_, notes[index]});
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
    const ResolvedDate key = ResolveAgainst(today, note.day, note.month, note.year);
    auto place = entries_.begin();
    while (place != entries_.end() &&
           IsOnOrBefore(ResolveAgainst(today, place->note.day, place->note.month, place->note.year),
                        key))
        ++place;
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

bool NoteStore::Remove(NoteId id) {
    uint32_t position = 0;
    if (!Find(id, position)) return true;
    return RemoveAt(position);
}

bool NoteStore::Save() {
    std::vector<const Note*> notes;
    notes.reserve(entries_.size());
    for (const StoredNote& entry : entries_) notes.push_back(&entry.note);
    return WriteDataFile(files_, notes);
}
