/* Preloaded into the program the soak bench watches: keeps the live heap
 * (bytes the program holds from malloc and friends, as malloc_usable_size
 * counts them), its peak, and what the program's exited threads used (CPU
 * time, voluntary and involuntary context switches), in a small file the bench
 * maps and reads whenever it likes. Nothing here runs on its own: no thread,
 * no timer, no signal, so the figures the bench takes are not disturbed by
 * taking them. /proc shows the live threads; what a thread did is lost there
 * when it ends, hence the exited sums.
 *
 * ORVANE_HEAPCOUNT_DIR names the folder; the file is "heap.<pid>". The shim
 * takes itself out of the environment at start, so programs this one starts
 * run uncounted. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

extern void* __libc_malloc(size_t size);
extern void __libc_free(void* ptr);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* ptr, size_t size);
extern void* __libc_memalign(size_t alignment, size_t size);

/* The bench reads this layout (soak.py, COUNTS_FORMAT). */
struct HeapCounts {
    uint64_t magic;
    _Atomic int64_t live;
    _Atomic int64_t peak;
    _Atomic uint64_t allocations;
    _Atomic uint64_t exitedThreads;
    _Atomic uint64_t exitedCpuUs;
    _Atomic uint64_t exitedVoluntary;
    _Atomic uint64_t exitedInvoluntary;
};

#define HEAPCOUNT_MAGIC 0x31544e4350414548ull /* "HEAPCNT1" */

static struct HeapCounts g_early = {HEAPCOUNT_MAGIC, 0, 0, 0, 0, 0, 0, 0};
static struct HeapCounts* g_counts = &g_early;

static void Add(void* ptr)
{
    if (!ptr)
        return;
    const int64_t size = (int64_t)malloc_usable_size(ptr);
    struct HeapCounts* counts = g_counts;
    const int64_t live = atomic_fetch_add_explicit(&counts->live, size, memory_order_relaxed) + size;
    atomic_fetch_add_explicit(&counts->allocations, 1, memory_order_relaxed);
    int64_t peak = atomic_load_explicit(&counts->peak, memory_order_relaxed);
    while (live > peak &&
           !atomic_compare_exchange_weak_explicit(&counts->peak, &peak, live, memory_order_relaxed,
                                                  memory_order_relaxed)) {
    }
}

static void Remove(void* ptr)
{
    if (ptr)
        atomic_fetch_sub_explicit(&g_counts->live, (int64_t)malloc_usable_size(ptr), memory_order_relaxed);
}

void* malloc(size_t size)
{
    void* ptr = __libc_malloc(size);
    Add(ptr);
    return ptr;
}

void free(void* ptr)
{
    Remove(ptr);
    __libc_free(ptr);
}

void* calloc(size_t count, size_t size)
{
    void* ptr = __libc_calloc(count, size);
    Add(ptr);
    return ptr;
}

void* realloc(void* ptr, size_t size)
{
    const int64_t old = ptr ? (int64_t)malloc_usable_size(ptr) : 0;
    void* moved = __libc_realloc(ptr, size);
    if (!moved) {
        /* realloc(ptr, 0) frees; a failed growth leaves ptr as it was. */
        if (ptr && size == 0)
            atomic_fetch_sub_explicit(&g_counts->live, old, memory_order_relaxed);
        return moved;
    }
    atomic_fetch_sub_explicit(&g_counts->live, old, memory_order_relaxed);
    Add(moved);
    return moved;
}

void* memalign(size_t alignment, size_t size)
{
    void* ptr = __libc_memalign(alignment, size);
    Add(ptr);
    return ptr;
}

void* aligned_alloc(size_t alignment, size_t size)
{
    return memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size)
{
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    void* ptr = memalign(alignment, size);
    if (!ptr)
        return ENOMEM;
    *out = ptr;
    return 0;
}

void* valloc(size_t size)
{
    return memalign((size_t)sysconf(_SC_PAGESIZE), size);
}

void* pvalloc(size_t size)
{
    const size_t page = (size_t)sysconf(_SC_PAGESIZE);
    return memalign(page, (size + page - 1) & ~(page - 1));
}

/* Threads: what each one used is added to the sums when it ends. */
struct Start {
    void* (*routine)(void*);
    void* argument;
};

static void AccountThreadEnd(void* unused)
{
    (void)unused;
    struct rusage usage;
    if (getrusage(RUSAGE_THREAD, &usage) != 0)
        return;
    struct HeapCounts* counts = g_counts;
    const uint64_t cpuUs = (uint64_t)usage.ru_utime.tv_sec * 1000000u + (uint64_t)usage.ru_utime.tv_usec +
                           (uint64_t)usage.ru_stime.tv_sec * 1000000u + (uint64_t)usage.ru_stime.tv_usec;
    atomic_fetch_add_explicit(&counts->exitedThreads, 1, memory_order_relaxed);
    atomic_fetch_add_explicit(&counts->exitedCpuUs, cpuUs, memory_order_relaxed);
    atomic_fetch_add_explicit(&counts->exitedVoluntary, (uint64_t)usage.ru_nvcsw, memory_order_relaxed);
    atomic_fetch_add_explicit(&counts->exitedInvoluntary, (uint64_t)usage.ru_nivcsw, memory_order_relaxed);
}

static void* Trampoline(void* raw)
{
    struct Start start = *(struct Start*)raw;
    __libc_free(raw);
    void* result = NULL;
    /* Runs on return, pthread_exit and cancellation alike. */
    pthread_cleanup_push(AccountThreadEnd, NULL);
    result = start.routine(start.argument);
    pthread_cleanup_pop(1);
    return result;
}

typedef int (*CreateFn)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*), void* argument)
{
    static CreateFn real = NULL;
    if (!real)
        real = (CreateFn)dlsym(RTLD_NEXT, "pthread_create");
    if (!real)
        return EAGAIN;
    struct Start* start = (struct Start*)__libc_malloc(sizeof *start);
    if (!start)
        return EAGAIN;
    start->routine = routine;
    start->argument = argument;
    const int result = real(thread, attributes, Trampoline, start);
    if (result != 0)
        __libc_free(start);
    return result;
}

__attribute__((constructor)) static void MapCounts(void)
{
    const char* dir = getenv("ORVANE_HEAPCOUNT_DIR");
    char path[4096];
    if (dir && snprintf(path, sizeof path, "%s/heap.%ld", dir, (long)getpid()) < (int)sizeof path) {
        const int fd = open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            if (ftruncate(fd, sizeof(struct HeapCounts)) == 0) {
                void* mapped = mmap(NULL, sizeof(struct HeapCounts), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
                if (mapped != MAP_FAILED) {
                    /* Single-threaded still: nothing allocates meanwhile. */
                    memcpy(mapped, &g_early, sizeof g_early);
                    g_counts = (struct HeapCounts*)mapped;
                }
            }
            close(fd);
        }
    }
    unsetenv("ORVANE_HEAPCOUNT_DIR");
    unsetenv("LD_PRELOAD");
}
