// Load and Save of a 100,000-note diary against a plain read and a plain durable write
// of the same bytes, 10,000 ordered inserts, and the calendar export and import of a
// 10,000-note diary against a plain write and read of a file of the same size. Prints the ratios at the end. Load is
// also set against its floor: the work no load can leave out, reading the file into new
// memory and writing the backup copy, flushed as a load flushes the backup.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "calendar_export.h"
#include "calendar_import.h"
#include "data_file.h"
#include "date_rules.h"
#include "note_store.h"

namespace {

constexpr int kDiaryNotes = 100000;

std::vector<Note> RandomNotes(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Note> notes(static_cast<std::size_t>(count));
    for (Note& note : notes) {
        note.year = random() % 3 == 0 ? 0 : 2003 + static_cast<int32_t>(random() % 17);
        note.month = static_cast<int32_t>(random() % 13);
        note.day = 1 + static_cast<int32_t>(random() % 31);
        note.period = static_cast<int32_t>(random() % 3);
        note.advance = static_cast<int32_t>(random() % 5);
        SetNoteText(note, "note " + std::to_string(random()));
    }
    return notes;
}

std::vector<unsigned char> DiaryBytes() {
    const std::vector<Note> notes = RandomNotes(kDiaryNotes, 1);
    std::vector<const Note*> pointers;
    for (const Note& note : notes) pointers.push_back(&note);
    return EncodeDataFile(pointers, 0, 42);
}

void WriteRaw(const char* name, const std::vector<unsigned char>& bytes, bool flush) {
    const int file = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0 || ::write(file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        (flush && ::fsync(file) != 0)) {
        std::perror(name);
        std::exit(1);
    }
    ::close(file);
}

void BM_PlainRead(benchmark::State& state) {
    std::vector<unsigned char> buffer(DiaryBytes().size());
    for (auto _ : state) {
        const int file = ::open(kDataFileName, O_RDONLY);
        const ssize_t got = ::read(file, buffer.data(), buffer.size());
        ::close(file);
        benchmark::DoNotOptimize(got);
    }
}

// What Load cannot avoid: the file's bytes in newly allocated memory, and the same bytes
// written to a second file and flushed, as the backup is. The memory is mapped afresh each
// time, as a load at start-up gets it and as Load gets its own here (see main).
void BM_LoadFloor(benchmark::State& state) {
    for (auto _ : state) {
        const int file = ::open(kDataFileName, O_RDONLY);
        struct stat status {};
        if (file < 0 || ::fstat(file, &status) != 0) state.SkipWithError("no data file");
        const std::size_t size = static_cast<std::size_t>(status.st_size);
        void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) state.SkipWithError("no memory");
        const bool read = ::read(file, memory, size) == static_cast<ssize_t>(size);
        ::close(file);
        const int copy = ::open("floor.dat", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool written = copy >= 0 && ::write(copy, memory, size) == static_cast<ssize_t>(size) &&
                             ::fsync(copy) == 0;
        ::close(copy);
        ::munmap(memory, size);
        if (!read || !written) state.SkipWithError("floor read or write failed");
    }
    std::remove("floor.dat");
}

void BM_Load(benchmark::State& state) {
    for (auto _ : state) {
        auto* store = new NoteStore(DiskFileSystem());
        if (store->Result() != LoadOk || store->Count() != kDiaryNotes)
            state.SkipWithError("load failed");
        state.PauseTiming();  // the destructor's save is not part of loading
        delete store;
        state.ResumeTiming();
    }
}

// What a start-up pass does for every note of the diary: find it by its identity.
void BM_FindEveryNote(benchmark::State& state) {
    NoteStore store(DiskFileSystem());
    if (store.Count() != kDiaryNotes) state.SkipWithError("load failed");
    std::vector<NoteId> ids;
    for (uint32_t i = store.Count(); i-- > 0;) ids.push_back(store.IdAt(i));
    for (auto _ : state) {
        uint32_t found = 0, position = 0;
        for (NoteId id : ids) found += store.Find(id, position) ? 1 : 0;
        benchmark::DoNotOptimize(found);
    }
}

void BM_PlainWrite(benchmark::State& state) {
    const std::vector<unsigned char> bytes = DiaryBytes();
    for (auto _ : state) WriteRaw("plain.dat", bytes, true);
    std::remove("plain.dat");
}

void BM_Save(benchmark::State& state) {
    NoteStore store(DiskFileSystem());
    if (store.Count() != kDiaryNotes) state.SkipWithError("load failed");
    for (auto _ : state)
        if (!store.Save()) state.SkipWithError("save failed");
}

void BM_Insert10000(benchmark::State& state) {
    const std::vector<Note> notes = RandomNotes(10000, 2);
    for (auto _ : state) {
        std::remove(kDataFileName);
        std::remove(kBackupFileName);
        NoteStore store(DiskFileSystem());
        for (const Note& note : notes) store.Insert(note);
        benchmark::DoNotOptimize(store.Count());
        store.Clear();
        state.PauseTiming();
        WriteRaw(kDataFileName, DiaryBytes(), false);
        state.ResumeTiming();
    }
}

// The calendar: a 10,000-note diary exported (converted and written whole, flushed) against
// a plain durable write of as many bytes, and imported (read and parsed) against a plain read.
constexpr int kCalendarNotes = 10000;
const char kCalendarFile[] = "diary.ics";

std::string CalendarText() {
    const Today today{2004, 6, 15, 2};
    return ExportCalendar(RandomNotes(kCalendarNotes, 3), today, UtcTime{2004, 6, 15, 8, 0, 0}, Windows1250CodePage())
        .text;
}

void BM_ExportCalendar(benchmark::State& state) {
    const std::vector<Note> notes = RandomNotes(kCalendarNotes, 3);
    const Today today{2004, 6, 15, 2};
    for (auto _ : state) {
        const CalendarExport file = ExportCalendar(notes, today, UtcTime{2004, 6, 15, 8, 0, 0}, Windows1250CodePage());
        if (!WriteFileWhole(DiskFileSystem(), kCalendarFile, file.text.data(), file.text.size(), true))
            state.SkipWithError("export failed");
    }
}

void BM_PlainWriteCalendarSize(benchmark::State& state) {
    const std::string text = CalendarText();
    const std::vector<unsigned char> bytes(text.begin(), text.end());
    for (auto _ : state) WriteRaw("plain.ics", bytes, true);
    std::remove("plain.ics");
}

void BM_ImportCalendar(benchmark::State& state) {
    const std::string text = CalendarText();
    WriteRaw(kCalendarFile, std::vector<unsigned char>(text.begin(), text.end()), true);
    const Today today{2004, 6, 15, 2};
    for (auto _ : state) {
        const CalendarImport imported = ImportCalendarFile(DiskFileSystem(), kCalendarFile, today, Note(), Windows1250CodePage());
        if (imported.read != FileRead::Ok) state.SkipWithError("read failed");
        if (imported.notes.size() != kCalendarNotes) state.SkipWithError("import lost notes");
    }
}

void BM_PlainReadCalendarSize(benchmark::State& state) {
    const std::string text = CalendarText();
    WriteRaw(kCalendarFile, std::vector<unsigned char>(text.begin(), text.end()), true);
    std::string buffer(text.size(), '\0');
    for (auto _ : state) {
        const int file = ::open(kCalendarFile, O_RDONLY);
        if (file < 0 || ::read(file, &buffer[0], buffer.size()) != static_cast<ssize_t>(buffer.size()))
            state.SkipWithError("read failed");
        ::close(file);
        benchmark::DoNotOptimize(buffer.data());
    }
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
// After the saves, which leave the diary sorted: the loads above read it as generated.
BENCHMARK(BM_FindEveryNote)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Insert10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainWriteCalendarSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCalendar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadCalendarSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCalendar)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration so the ratios can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    // Every large block from fresh mappings, for Load as for its floor: left to itself the
    // allocator raises its threshold after the first free and hands Load memory that an
    // earlier pass already paged in, so the two would start from different states and
    // their ratio would follow the machine's cost of a page fault.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // Work in a private directory: the store reads and writes relative to it.
    char directory[] = "/tmp/tolvek-bench-XXXXXX";
    if (!::mkdtemp(directory) || ::chdir(directory) != 0) return 1;
    WriteRaw(kDataFileName, DiaryBytes(), true);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.times;
    // Each ratio whose two benchmarks ran (a filter may leave some out).
    const auto ratio = [&](const char* label, const char* measured, const char* floor, int goal) {
        if (t[measured] > 0 && t[floor] > 0)
            std::printf("%-18s = %.2f (goal at most %d)\n", label, t[measured] / t[floor], goal);
    };
    ratio("Load / plain read", "BM_Load", "BM_PlainRead", 10);
    ratio("Load / load floor", "BM_Load", "BM_LoadFloor", 2);
    ratio("Save / plain write", "BM_Save", "BM_PlainWrite", 2);
    ratio("Export / plain write", "BM_ExportCalendar", "BM_PlainWriteCalendarSize", 3);
    ratio("Import / plain read", "BM_ImportCalendar", "BM_PlainReadCalendarSize", 3);
    for (const char* name : {kDataFileName, kBackupFileName, kCalendarFile}) std::remove(name);
    ::rmdir(directory);
    return 0;
}
