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

// The order of a load is (next occurrence, place in the file): exactly the order of
// inserting the records one by one, each after every note on or before it. Each note's
// next occurrence is resolved once, as it is read. A date of the usual range packs into
// 32 bits, so a key is one 64-bit number with the place below it and the sort compares
// plain integers; a file with any other date (only a damaged or foreign one) is sorted on
// whole dates instead.
class LoadedNotes : public RecordSink {
public:
    LoadedNotes(std::vector<NoteStore::StoredNote>& entries) : entries_(entries), today_(ReadToday()) {}

    void Expect(std::size_t count) override {
        entries_.reserve(count);
        packed_.reserve(count);
    }
    void Take(const unsigned char* records, std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t place = entries_.size();
            entries_.push_back({kNoNote, DecodeNote(records + kNoteRecordSize * i)});
            const Note& note = entries_.back().note;
            const ResolvedDate date = ResolveAgainst(today_, note.day, note.month, note.year);
            uint64_t packed = 0;
            if (wide_.empty() && Pack(date, packed)) {
                packed_.push_back(packed << 32 | place);
                continue;
            }
            if (wide_.empty()) Widen();
            wide_.push_back({date, place});
        }
    }

    // The place in the file of the note that goes to each position, in order.
    std::vector<uint64_t> Order() {
        if (wide_.empty()) {
            std::sort(packed_.begin(), packed_.end());
            for (uint64_t& key : packed_) key &= 0xFFFFFFFF;
            return std::move(packed_);
        }
        // Stable: the keys were taken in file order, so notes on one date keep their places.
        std::stable_sort(wide_.begin(), wide_.end(),
                         [](const WideKey& a, const WideKey& b) { return !IsOnOrBefore(b.date, a.date); });
        std::vector<uint64_t> order;
        order.reserve(wide_.size());
        for (const WideKey& key : wide_) order.push_back(key.place);
        return order;
    }

private:
    struct WideKey {
        ResolvedDate date;
        uint64_t place;
    };
    // Year below 2^21, month below 32, day below 64: order kept, nothing lost.
    static bool Pack(const ResolvedDate& date, uint64_t& packed) {
        if (date.year < 0 || date.year >= (1 << 21) || date.month < 0 || date.month >= 32 || date.day < 0 ||
            date.day >= 64)
            return false;
        packed = static_cast<uint64_t>(date.year) << 11 | static_cast<uint64_t>(date.month) << 6 |
                 static_cast<uint64_t>(date.day);
        return true;
    }
    void Widen() {
        wide_.reserve(entries_.capacity());
        for (uint64_t key : packed_) {
            const uint64_t date = key >> 32;
            wide_.push_back({{static_cast<int64_t>(date >> 11), static_cast<int64_t>(date >> 6 & 31),
                              static_cast<int64_t>(date & 63)},
                             key & 0xFFFFFFFF});
        }
        packed_ = std::vector<uint64_t>();
    }

    std::vector<NoteStore::StoredNote>& entries_;
    const Today today_;
    std::vector<uint64_t> packed_;
    std::vector<WideKey> wide_;
};

}  // namespace

LoadResult NoteStore::Load() {
    LoadedNotes sink(entries_);
    const LoadResult result = ReadDataFile(files_, sink, unreadable_);
    if (result != LoadOk) {
        entries_.clear();
        return result;
    }
    // Into sorted order in place, one cycle of the permutation at a time, so a large diary
    // is never held twice and each note moves once; a done position is marked in `order`.
    std::vector<uint64_t> order = sink.Order();
    constexpr uint64_t kPlaced = UINT64_MAX;
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == kPlaced) continue;
        StoredNote held = entries_[start];
        std::size_t place = start;
        while (order[place] != start) {
            const std::size_t from = static_cast<std::size_t>(order[place]);
            entries_[place] = entries_[from];
            order[place] = kPlaced;
            place = from;
        }
        entries_[place] = held;
        order[place] = kPlaced;
    }
    positions_.reserve(positions_.size() + entries_.size());
    for (StoredNote& entry : entries_) {
        entry.id = ++lastId_;
        positions_.push_back(kGone);
    }
    NotePositionsFrom(0);
    return LoadOk;
}

void NoteStore::NotePositionsFrom(std::size_t from) {
    for (std::size_t i = from; i < entries_.size(); ++i)
        positions_[static_cast<std::size_t>(entries_[i].id)] = static_cast<uint32_t>(i);
}

bool NoteStore::Find(NoteId id, uint32_t& position) const {
    if (id >= positions_.size() || positions_[static_cast<std::size_t>(id)] == kGone) return false;
    position = positions_[static_cast<std::size_t>(id)];
    return true;
}

void NoteStore::Clear() {
    for (const StoredNote& entry : entries_) positions_[static_cast<std::size_t>(entry.id)] = kGone;
    entries_.clear();
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
    positions_.push_back(kGone);
    const std::size_t at = static_cast<std::size_t>(place - entries_.begin());
    entries_.insert(place, StoredNote{id, note});
    NotePositionsFrom(at);
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
        positions_.push_back(kGone);
    }
    while (from < entries_.size()) merged.push_back(std::move(entries_[from++]));
    entries_.swap(merged);
    NotePositionsFrom(0);
    return Save();
}

void NoteStore::Erase(uint32_t position) {
    positions_[static_cast<std::size_t>(entries_[position].id)] = kGone;
    entries_.erase(entries_.begin() + position);
    NotePositionsFrom(position);
}

bool NoteStore::RemoveAt(uint32_t position) {
    Erase(position);
    return Save();
}

bool NoteStore::Replace(NoteId id, const Note& note, NoteId* newId) {
    uint32_t position = 0;
    if (Find(id, position)) Erase(position);
    return Add(note, newId);
}

bool NoteStore::Save() {
    std::vector<const Note*> notes;
    notes.reserve(entries_.size());
    for (const StoredNote& entry : entries_) notes.push_back(&entry.note);
    return WriteDataFile(files_, notes);
}
