// The realtime check's preload library. Loaded with LD_PRELOAD ahead of everything else, it stands
// in for the allocation, locking, file, socket and sleep calls, counts them on threads that asked
// to be watched, and forwards every call to the function it replaces.

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tools/kestrune-validate/RealtimeProbe.h"

#define PRELOAD_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

enum class Kind { kAllocation, kRelease, kBlocking, kFile, kSocket, kSleep };

__thread int watching __attribute__((tls_model("initial-exec")));
// Set while a replaced function forwards, so the calls it makes itself are not counted again.
__thread int forwarding __attribute__((tls_model("initial-exec")));
__thread KestruneRealtimeCounts counts __attribute__((tls_model("initial-exec")));

void Note(Kind kind, const char* name, const void* caller) {
  if (!watching || forwarding) return;
  switch (kind) {
    case Kind::kAllocation: ++counts.allocations; break;
    case Kind::kRelease: ++counts.releases; break;
    case Kind::kBlocking: ++counts.blockingWaits; break;
    case Kind::kFile: ++counts.fileCalls; break;
    case Kind::kSocket: ++counts.socketCalls; break;
    case Kind::kSleep: ++counts.sleeps; break;
  }
  if (counts.firstCall == nullptr) {
    counts.firstCall = name;
    counts.firstCaller = caller;
  }
}

// Marks the forwarding of one call.
struct Forwarding {
  Forwarding() { ++forwarding; }
  ~Forwarding() { --forwarding; }
};

// dlsym itself may allocate before the real allocator is known; those few bytes come from here.
alignas(64) char bootstrapArena[64 * 1024];
std::atomic<size_t> bootstrapUsed{0};
std::atomic<bool> resolving{false};

bool FromArena(const void* p) {
  return p >= static_cast<const void*>(bootstrapArena) && p < static_cast<const void*>(bootstrapArena + sizeof bootstrapArena);
}

void* ArenaAllocate(size_t size) {
  const size_t rounded = (size + 63) & ~size_t{63};
  const size_t offset = bootstrapUsed.fetch_add(rounded);
  if (offset + rounded > sizeof bootstrapArena) return nullptr;
  return bootstrapArena + offset;
}

// The function this library stands in for. While one is being looked up (dlsym allocates and frees
// itself), lookups answer null instead of recursing; the callers below cope with that.
template <typename F>
F Next(F& slot, const char* name) {
  if (slot == nullptr && !resolving.exchange(true)) {
    slot = reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
    resolving = false;
  }
  return slot;
}

#define REAL(name) Next(real_##name, #name)

using MallocFn = void* (*)(size_t);
using CallocFn = void* (*)(size_t, size_t);
using ReallocFn = void* (*)(void*, size_t);
using FreeFn = void (*)(void*);
using PosixMemalignFn = int (*)(void**, size_t, size_t);
using AlignedAllocFn = void* (*)(size_t, size_t);
MallocFn real_malloc;
CallocFn real_calloc;
ReallocFn real_realloc;
FreeFn real_free;
PosixMemalignFn real_posix_memalign;
AlignedAllocFn real_aligned_alloc;
AlignedAllocFn real_memalign;

void* Allocate(size_t size) {
  const MallocFn real = resolving ? real_malloc : REAL(malloc);
  return real != nullptr ? real(size) : ArenaAllocate(size);
}

void* AlignedAllocate(size_t alignment, size_t size) {
  const PosixMemalignFn real = REAL(posix_memalign);
  void* p = nullptr;
  if (real == nullptr) return nullptr;
  return real(&p, alignment < sizeof(void*) ? sizeof(void*) : alignment, size) == 0 ? p : nullptr;
}

// Memory freed while the real free is still being looked up is let go: a few bytes, once.
void Release(void* p) {
  if (p == nullptr || FromArena(p)) return;
  if (const FreeFn real = REAL(free)) real(p);
}

}  // namespace

PRELOAD_EXPORT void kestrune_realtime_watch(int watch) { watching = watch; }
PRELOAD_EXPORT KestruneRealtimeCounts kestrune_realtime_counts() { return counts; }
PRELOAD_EXPORT void kestrune_realtime_reset() { counts = KestruneRealtimeCounts{}; }

// ---- Allocation ----

PRELOAD_EXPORT void* malloc(size_t size) {
  Note(Kind::kAllocation, "malloc", __builtin_return_address(0));
  Forwarding f;
  return Allocate(size);
}

PRELOAD_EXPORT void* calloc(size_t count, size_t size) {
  size_t bytes = 0;
  if (__builtin_mul_overflow(count, size, &bytes)) return nullptr;
  Note(Kind::kAllocation, "calloc", __builtin_return_address(0));
  Forwarding f;
  // dlsym asks for zeroed memory while a name is looked up; the arena is zeroed and never reused.
  const CallocFn real = REAL(calloc);
  return real != nullptr ? real(count, size) : ArenaAllocate(bytes);
}

PRELOAD_EXPORT void* realloc(void* p, size_t size) {
  Note(Kind::kAllocation, "realloc", __builtin_return_address(0));
  Forwarding f;
  if (FromArena(p)) {
    // The old size is not kept; copying up to the arena's end holds it whole.
    const size_t available = static_cast<size_t>(bootstrapArena + sizeof bootstrapArena - static_cast<char*>(p));
    void* moved = Allocate(size);
    if (moved != nullptr) memcpy(moved, p, size < available ? size : available);
    return moved;
  }
  return REAL(realloc)(p, size);
}

PRELOAD_EXPORT void free(void* p) {
  if (p != nullptr) Note(Kind::kRelease, "free", __builtin_return_address(0));
  Forwarding f;
  Release(p);
}

PRELOAD_EXPORT int posix_memalign(void** out, size_t alignment, size_t size) {
  Note(Kind::kAllocation, "posix_memalign", __builtin_return_address(0));
  Forwarding f;
  return REAL(posix_memalign)(out, alignment, size);
}

PRELOAD_EXPORT void* aligned_alloc(size_t alignment, size_t size) {
  Note(Kind::kAllocation, "aligned_alloc", __builtin_return_address(0));
  Forwarding f;
  return REAL(aligned_alloc)(alignment, size);
}

PRELOAD_EXPORT void* memalign(size_t alignment, size_t size) {
  Note(Kind::kAllocation, "memalign", __builtin_return_address(0));
  Forwarding f;
  return REAL(memalign)(alignment, size);
}

// operator new and delete: counted here, served by the allocator above so that every pair matches.
void* operator new(size_t size) {
  Note(Kind::kAllocation, "operator new", __builtin_return_address(0));
  Forwarding f;
  void* p = Allocate(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t size) {
  Note(Kind::kAllocation, "operator new[]", __builtin_return_address(0));
  Forwarding f;
  void* p = Allocate(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  Note(Kind::kAllocation, "operator new", __builtin_return_address(0));
  Forwarding f;
  return Allocate(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  Note(Kind::kAllocation, "operator new[]", __builtin_return_address(0));
  Forwarding f;
  return Allocate(size == 0 ? 1 : size);
}
void* operator new(size_t size, std::align_val_t alignment) {
  Note(Kind::kAllocation, "operator new", __builtin_return_address(0));
  Forwarding f;
  void* p = AlignedAllocate(static_cast<size_t>(alignment), size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t size, std::align_val_t alignment) {
  Note(Kind::kAllocation, "operator new[]", __builtin_return_address(0));
  Forwarding f;
  void* p = AlignedAllocate(static_cast<size_t>(alignment), size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  Note(Kind::kAllocation, "operator new", __builtin_return_address(0));
  Forwarding f;
  return AlignedAllocate(static_cast<size_t>(alignment), size == 0 ? 1 : size);
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  Note(Kind::kAllocation, "operator new[]", __builtin_return_address(0));
  Forwarding f;
  return AlignedAllocate(static_cast<size_t>(alignment), size == 0 ? 1 : size);
}

#define RELEASE_BODY(name)                                                  \
  {                                                                         \
    if (p != nullptr) Note(Kind::kRelease, name, __builtin_return_address(0)); \
    Forwarding f;                                                           \
    Release(p);                                                             \
  }
void operator delete(void* p) noexcept RELEASE_BODY("operator delete")
void operator delete[](void* p) noexcept RELEASE_BODY("operator delete[]")
void operator delete(void* p, size_t) noexcept RELEASE_BODY("operator delete")
void operator delete[](void* p, size_t) noexcept RELEASE_BODY("operator delete[]")
void operator delete(void* p, const std::nothrow_t&) noexcept RELEASE_BODY("operator delete")
void operator delete[](void* p, const std::nothrow_t&) noexcept RELEASE_BODY("operator delete[]")
void operator delete(void* p, std::align_val_t) noexcept RELEASE_BODY("operator delete")
void operator delete[](void* p, std::align_val_t) noexcept RELEASE_BODY("operator delete[]")
void operator delete(void* p, size_t, std::align_val_t) noexcept RELEASE_BODY("operator delete")
void operator delete[](void* p, size_t, std::align_val_t) noexcept RELEASE_BODY("operator delete[]")
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept RELEASE_BODY("operator delete")
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept RELEASE_BODY("operator delete[]")

// ---- Locks and waits: an uncontended mutex is fine, waiting for another thread is not ----

namespace {
using MutexFn = int (*)(pthread_mutex_t*);
using RwlockFn = int (*)(pthread_rwlock_t*);
using CondWaitFn = int (*)(pthread_cond_t*, pthread_mutex_t*);
using CondTimedWaitFn = int (*)(pthread_cond_t*, pthread_mutex_t*, const timespec*);
using SemFn = int (*)(sem_t*);
using SemTimedFn = int (*)(sem_t*, const timespec*);
MutexFn real_pthread_mutex_lock;
MutexFn real_pthread_mutex_trylock;
RwlockFn real_pthread_rwlock_rdlock;
RwlockFn real_pthread_rwlock_tryrdlock;
RwlockFn real_pthread_rwlock_wrlock;
RwlockFn real_pthread_rwlock_trywrlock;
CondWaitFn real_pthread_cond_wait;
CondTimedWaitFn real_pthread_cond_timedwait;
SemFn real_sem_wait;
SemTimedFn real_sem_timedwait;
}  // namespace

PRELOAD_EXPORT int pthread_mutex_lock(pthread_mutex_t* m) {
  if (watching && !forwarding) {
    if (REAL(pthread_mutex_trylock)(m) == 0) return 0;
    Note(Kind::kBlocking, "pthread_mutex_lock (contended)", __builtin_return_address(0));
  }
  return REAL(pthread_mutex_lock)(m);
}

PRELOAD_EXPORT int pthread_rwlock_rdlock(pthread_rwlock_t* l) {
  if (watching && !forwarding) {
    if (REAL(pthread_rwlock_tryrdlock)(l) == 0) return 0;
    Note(Kind::kBlocking, "pthread_rwlock_rdlock (contended)", __builtin_return_address(0));
  }
  return REAL(pthread_rwlock_rdlock)(l);
}

PRELOAD_EXPORT int pthread_rwlock_wrlock(pthread_rwlock_t* l) {
  if (watching && !forwarding) {
    if (REAL(pthread_rwlock_trywrlock)(l) == 0) return 0;
    Note(Kind::kBlocking, "pthread_rwlock_wrlock (contended)", __builtin_return_address(0));
  }
  return REAL(pthread_rwlock_wrlock)(l);
}

PRELOAD_EXPORT int pthread_cond_wait(pthread_cond_t* c, pthread_mutex_t* m) {
  Note(Kind::kBlocking, "pthread_cond_wait", __builtin_return_address(0));
  return REAL(pthread_cond_wait)(c, m);
}

PRELOAD_EXPORT int pthread_cond_timedwait(pthread_cond_t* c, pthread_mutex_t* m, const timespec* t) {
  Note(Kind::kBlocking, "pthread_cond_timedwait", __builtin_return_address(0));
  return REAL(pthread_cond_timedwait)(c, m, t);
}

PRELOAD_EXPORT int sem_wait(sem_t* s) {
  Note(Kind::kBlocking, "sem_wait", __builtin_return_address(0));
  return REAL(sem_wait)(s);
}

PRELOAD_EXPORT int sem_timedwait(sem_t* s, const timespec* t) {
  Note(Kind::kBlocking, "sem_timedwait", __builtin_return_address(0));
  return REAL(sem_timedwait)(s, t);
}

// ---- Files, sockets and sleeping ----

namespace {
using OpenFn = int (*)(const char*, int, ...);
using OpenatFn = int (*)(int, const char*, int, ...);
using CreatFn = int (*)(const char*, mode_t);
using FopenFn = FILE* (*)(const char*, const char*);
using ReadFn = ssize_t (*)(int, void*, size_t);
using WriteFn = ssize_t (*)(int, const void*, size_t);
using PreadFn = ssize_t (*)(int, void*, size_t, off_t);
using PwriteFn = ssize_t (*)(int, const void*, size_t, off_t);
using IovFn = ssize_t (*)(int, const iovec*, int);
using FwriteFn = size_t (*)(const void*, size_t, size_t, FILE*);
using FreadFn = size_t (*)(void*, size_t, size_t, FILE*);
using FputsFn = int (*)(const char*, FILE*);
using PutsFn = int (*)(const char*);
using VfprintfFn = int (*)(FILE*, const char*, va_list);
using SocketFn = int (*)(int, int, int);
using ConnectFn = int (*)(int, const sockaddr*, socklen_t);
using SendFn = ssize_t (*)(int, const void*, size_t, int);
using SendtoFn = ssize_t (*)(int, const void*, size_t, int, const sockaddr*, socklen_t);
using SendmsgFn = ssize_t (*)(int, const msghdr*, int);
using RecvFn = ssize_t (*)(int, void*, size_t, int);
using RecvfromFn = ssize_t (*)(int, void*, size_t, int, sockaddr*, socklen_t*);
using RecvmsgFn = ssize_t (*)(int, msghdr*, int);
using SleepFn = unsigned (*)(unsigned);
using UsleepFn = int (*)(useconds_t);
using NanosleepFn = int (*)(const timespec*, timespec*);
using ClockNanosleepFn = int (*)(clockid_t, int, const timespec*, timespec*);
OpenFn real_open;
OpenFn real_open64;
OpenatFn real_openat;
OpenatFn real_openat64;
CreatFn real_creat;
FopenFn real_fopen;
FopenFn real_fopen64;
ReadFn real_read;
WriteFn real_write;
PreadFn real_pread;
PwriteFn real_pwrite;
IovFn real_readv;
IovFn real_writev;
FwriteFn real_fwrite;
FreadFn real_fread;
FputsFn real_fputs;
PutsFn real_puts;
VfprintfFn real_vfprintf;
SocketFn real_socket;
ConnectFn real_connect;
SendFn real_send;
SendtoFn real_sendto;
SendmsgFn real_sendmsg;
RecvFn real_recv;
RecvfromFn real_recvfrom;
RecvmsgFn real_recvmsg;
SleepFn real_sleep;
UsleepFn real_usleep;
NanosleepFn real_nanosleep;
ClockNanosleepFn real_clock_nanosleep;

mode_t ModeArgument(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}
}  // namespace

#define COUNTED(kind, name) \
  Note(kind, name, __builtin_return_address(0)); \
  Forwarding forwardingScope

PRELOAD_EXPORT int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeArgument(flags, args);
  va_end(args);
  COUNTED(Kind::kFile, "open");
  return REAL(open)(path, flags, mode);
}
PRELOAD_EXPORT int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeArgument(flags, args);
  va_end(args);
  COUNTED(Kind::kFile, "open64");
  return REAL(open64)(path, flags, mode);
}
PRELOAD_EXPORT int openat(int dir, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeArgument(flags, args);
  va_end(args);
  COUNTED(Kind::kFile, "openat");
  return REAL(openat)(dir, path, flags, mode);
}
PRELOAD_EXPORT int openat64(int dir, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeArgument(flags, args);
  va_end(args);
  COUNTED(Kind::kFile, "openat64");
  return REAL(openat64)(dir, path, flags, mode);
}
PRELOAD_EXPORT int creat(const char* path, mode_t mode) {
  COUNTED(Kind::kFile, "creat");
  return REAL(creat)(path, mode);
}
PRELOAD_EXPORT FILE* fopen(const char* path, const char* mode) {
  COUNTED(Kind::kFile, "fopen");
  return REAL(fopen)(path, mode);
}
PRELOAD_EXPORT FILE* fopen64(const char* path, const char* mode) {
  COUNTED(Kind::kFile, "fopen64");
  return REAL(fopen64)(path, mode);
}
PRELOAD_EXPORT ssize_t read(int fd, void* buffer, size_t size) {
  COUNTED(Kind::kFile, "read");
  return REAL(read)(fd, buffer, size);
}
PRELOAD_EXPORT ssize_t write(int fd, const void* buffer, size_t size) {
  COUNTED(Kind::kFile, "write");
  return REAL(write)(fd, buffer, size);
}
PRELOAD_EXPORT ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
  COUNTED(Kind::kFile, "pread");
  return REAL(pread)(fd, buffer, size, offset);
}
PRELOAD_EXPORT ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset) {
  COUNTED(Kind::kFile, "pwrite");
  return REAL(pwrite)(fd, buffer, size, offset);
}
PRELOAD_EXPORT ssize_t readv(int fd, const iovec* parts, int count) {
  COUNTED(Kind::kFile, "readv");
  return REAL(readv)(fd, parts, count);
}
PRELOAD_EXPORT ssize_t writev(int fd, const iovec* parts, int count) {
  COUNTED(Kind::kFile, "writev");
  return REAL(writev)(fd, parts, count);
}
PRELOAD_EXPORT size_t fwrite(const void* data, size_t size, size_t count, FILE* file) {
  COUNTED(Kind::kFile, "fwrite");
  return REAL(fwrite)(data, size, count, file);
}
PRELOAD_EXPORT size_t fread(void* data, size_t size, size_t count, FILE* file) {
  COUNTED(Kind::kFile, "fread");
  return REAL(fread)(data, size, count, file);
}
PRELOAD_EXPORT int fputs(const char* text, FILE* file) {
  COUNTED(Kind::kFile, "fputs");
  return REAL(fputs)(text, file);
}
PRELOAD_EXPORT int puts(const char* text) {
  COUNTED(Kind::kFile, "puts");
  return REAL(puts)(text);
}
PRELOAD_EXPORT int printf(const char* format, ...) {
  COUNTED(Kind::kFile, "printf");
  va_list args;
  va_start(args, format);
  const int n = REAL(vfprintf)(stdout, format, args);
  va_end(args);
  return n;
}
PRELOAD_EXPORT int fprintf(FILE* file, const char* format, ...) {
  COUNTED(Kind::kFile, "fprintf");
  va_list args;
  va_start(args, format);
  const int n = REAL(vfprintf)(file, format, args);
  va_end(args);
  return n;
}
PRELOAD_EXPORT int vfprintf(FILE* file, const char* format, va_list args) {
  COUNTED(Kind::kFile, "vfprintf");
  return REAL(vfprintf)(file, format, args);
}
PRELOAD_EXPORT int socket(int domain, int type, int protocol) {
  COUNTED(Kind::kSocket, "socket");
  return REAL(socket)(domain, type, protocol);
}
PRELOAD_EXPORT int connect(int fd, const sockaddr* address, socklen_t length) {
  COUNTED(Kind::kSocket, "connect");
  return REAL(connect)(fd, address, length);
}
PRELOAD_EXPORT ssize_t send(int fd, const void* data, size_t size, int flags) {
  COUNTED(Kind::kSocket, "send");
  return REAL(send)(fd, data, size, flags);
}
PRELOAD_EXPORT ssize_t sendto(int fd, const void* data, size_t size, int flags, const sockaddr* to, socklen_t length) {
  COUNTED(Kind::kSocket, "sendto");
  return REAL(sendto)(fd, data, size, flags, to, length);
}
PRELOAD_EXPORT ssize_t sendmsg(int fd, const msghdr* message, int flags) {
  COUNTED(Kind::kSocket, "sendmsg");
  return REAL(sendmsg)(fd, message, flags);
}
PRELOAD_EXPORT ssize_t recv(int fd, void* data, size_t size, int flags) {
  COUNTED(Kind::kSocket, "recv");
  return REAL(recv)(fd, data, size, flags);
}
PRELOAD_EXPORT ssize_t recvfrom(int fd, void* data, size_t size, int flags, sockaddr* from, socklen_t* length) {
  COUNTED(Kind::kSocket, "recvfrom");
  return REAL(recvfrom)(fd, data, size, flags, from, length);
}
PRELOAD_EXPORT ssize_t recvmsg(int fd, msghdr* message, int flags) {
  COUNTED(Kind::kSocket, "recvmsg");
  return REAL(recvmsg)(fd, message, flags);
}
PRELOAD_EXPORT unsigned sleep(unsigned seconds) {
  COUNTED(Kind::kSleep, "sleep");
  return REAL(sleep)(seconds);
}
PRELOAD_EXPORT int usleep(useconds_t microseconds) {
  COUNTED(Kind::kSleep, "usleep");
  return REAL(usleep)(microseconds);
}
PRELOAD_EXPORT int nanosleep(const timespec* duration, timespec* remaining) {
  COUNTED(Kind::kSleep, "nanosleep");
  return REAL(nanosleep)(duration, remaining);
}
PRELOAD_EXPORT int clock_nanosleep(clockid_t clock, int flags, const timespec* duration, timespec* remaining) {
  COUNTED(Kind::kSleep, "clock_nanosleep");
  return REAL(clock_nanosleep)(clock, flags, duration, remaining);
}
