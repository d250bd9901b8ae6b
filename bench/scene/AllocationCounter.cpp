#include "bench/scene/AllocationCounter.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <new>

#include <link.h>

// glibc's own entry points, which the replacements below forward to.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

thread_local bool tCounting = false;
thread_local AllocationCount tCount;

uintptr_t gProgramStart = 0;
uintptr_t gProgramEnd = 0;

int findProgramImage(dl_phdr_info* info, size_t, void*)
{
    // The first entry is the executable itself.
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD) {
            continue;
        }
        const uintptr_t start = info->dlpi_addr + header.p_vaddr;
        const uintptr_t end = start + header.p_memsz;
        if (gProgramStart == 0 || start < gProgramStart) {
            gProgramStart = start;
        }
        if (end > gProgramEnd) {
            gProgramEnd = end;
        }
    }
    return 1;
}

inline void noteAllocation(void* caller)
{
    if (tCounting) {
        ++tCount.all;
        const uintptr_t address = reinterpret_cast<uintptr_t>(caller);
        if (address >= gProgramStart && address < gProgramEnd) {
            ++tCount.own;
        }
    }
}

}  // namespace

void startCountingAllocations()
{
    if (gProgramEnd == 0) {
        dl_iterate_phdr(findProgramImage, nullptr);
    }
    tCount = AllocationCount();
    tCounting = true;
}

AllocationCount stopCountingAllocations()
{
    tCounting = false;
    return tCount;
}

extern "C" {

void* malloc(size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_realloc(block, size);
}

void* memalign(size_t alignment, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, size_t alignment, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) {
        return ENOMEM;
    }
    *result = block;
    return 0;
}

}  // extern "C"

// operator new is counted at its caller, so that the core's own uses show
// as its own.
void* operator new(size_t size)
{
    noteAllocation(__builtin_return_address(0));
    void* block = __libc_malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* operator new[](size_t size)
{
    noteAllocation(__builtin_return_address(0));
    void* block = __libc_malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void operator delete(void* block) noexcept
{
    __libc_free(block);
}

void operator delete[](void* block) noexcept
{
    __libc_free(block);
}

void operator delete(void* block, size_t) noexcept
{
    __libc_free(block);
}

void operator delete[](void* block, size_t) noexcept
{
    __libc_free(block);
}
