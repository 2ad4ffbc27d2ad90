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

namespace {

// Collects the notes in file order with the key that orders them. Sorting on (next
// occurrence, place in the file) gives exactly the order of inserting the records one by
// one, each after every note on or before it, in O(n log n).
class LoadedNotes : public RecordSink {
public:
    struct SortKey {
        ResolvedDate date;
        std::size_t index;
    };

    LoadedNotes(std::vector<NoteStore::StoredNote>& entries, std::vector<SortKey>& keys)
        : entries_(entries), keys_(keys), today_(ReadToday()) {}

    void Expect(std::size_t count) override {
        entries_.reserve(count);
        keys_.reserve(count);
    }
    void Take(const unsigned char* records, std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i) {
            const Note note = DecodeNote(records + kNoteRecordSize * i);
            keys_.push_back({ResolveAgainst(today_, note.day, note.month, note.year), entries_.size()});
            entries_.push_back({kNoNote, note});
        }
    }

private:
    std::vector<NoteStore::StoredNote>& entries_;
    std::vector<SortKey>& keys_;
    const Today today_;
};

}  // namespace

LoadResult NoteStore::Load() {
    std::vector<LoadedNotes::SortKey> keys;
    LoadedNotes sink(entries_, keys);
    const LoadResult result = ReadDataFile(files_, sink);
    if (result != LoadOk) {
        entries_.clear();
        return result;
    }
    std::sort(keys.begin(), keys.end(), [](const LoadedNotes::SortKey& a, const LoadedNotes::SortKey& b) {
        if (a.date.year != b.date.year) return a.date.year < b.date.year;
        if (a.date.month != b.date.month) return a.date.month < b.date.month;
        if (a.date.day != b.date.day) return a.date.day < b.date.day;
        return a.index < b.index;
    });
    // Into sorted order in place, one cycle of the permutation at a time, so a large diary
    // is never held twice; a moved note's key gets its index cleared to mark it done.
    constexpr std::size_t kPlaced = SIZE_MAX;
    for (std::size_t start = 0; start < keys.size(); ++start) {
        if (keys[start].index == kPlaced) continue;
        StoredNote held = std::move(entries_[start]);
        std::size_t place = start;
        while (keys[place].index != start) {
            const std::size_t from = keys[place].index;
            entries_[place] = std::move(entries_[from]);
            keys[place].index = kPlaced;
            place = from;
        }
        entries_[place] = std::move(held);
        keys[place].index = kPlaced;
    }
    for (StoredNote& entry : entries_) entry.id = ++lastId_;
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
           IsOnOrBefore(ResolveAgainst(today, place->note.day, place->note.month, place->note.year), key))
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

bool NoteStore::AddAll(const std::vector<Note>& notes) {
    const Today today = ReadToday();
    struct Keyed {
        ResolvedDate date;
        const Note* note;
    };
    std::vector<Keyed> added;
    added.reserve(notes.size());
    for (const Note& note : notes) added.push_back({ResolveAgainst(today, note.day, note.month, note.year), &note});
    // Stable: notes on the same date keep the order they came in, as one Insert after another would.
    std::stable_sort(added.begin(), added.end(),
                     [](const Keyed& a, const Keyed& b) { return !IsOnOrBefore(b.date, a.date); });
    std::vector<StoredNote> merged;
    merged.reserve(entries_.size() + added.size());
    std::size_t from = 0;
    for (const Keyed& next : added) {
        // Each new note after every stored note on or before it.
        while (from < entries_.size() &&
               IsOnOrBefore(ResolveAgainst(today, entries_[from].note.day, entries_[from].note.month,
                                           entries_[from].note.year),
                            next.date))
            merged.push_back(std::move(entries_[from++]));
        merged.push_back({++lastId_, *next.note});
    }
    while (from < entries_.size()) merged.push_back(std::move(entries_[from++]));
    entries_.swap(merged);
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
