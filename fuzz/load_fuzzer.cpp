// Any bytes as "tolvek.dat": the load must end as LoadOk or LoadCorrupt, without a crash,
// a leak or a read of more than the file holds; a loaded diary must save and load again.
#include <cstdlib>

#include "memory_file_system.h"
#include "note_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    MemoryFileSystem disk;
    disk.Put(kDataFileName, Bytes(data, data + size));
    LoadResult result;
    uint32_t count = 0;
    {
        NoteStore store(disk);
        result = store.Result();
        count = store.Count();
        if (result != LoadOk && result != LoadCorrupt) std::abort();
        if (result == LoadCorrupt && count != 0) std::abort();
        if (disk.largestRead > size) std::abort();
        for (uint32_t i = 0; i < count; ++i) (void)NoteText(store.At(i));
    }
    if (result == LoadOk) {  // the destructor saved it: it must load again whole
        NoteStore again(disk);
        if (again.Result() != LoadOk || again.Count() != count) std::abort();
        again.Clear();
    }
    return 0;
}
