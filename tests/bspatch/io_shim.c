/* An LD_PRELOAD shim that gives the program the failures of real file
 * systems, set by the environment:
 *   BSPATCH_SHIM_FILE, BSPATCH_SHIM_FAIL_AT, BSPATCH_SHIM_MODE: reads of
 *     that file which reach past the offset fail with EIO ("eio"), come up
 *     short as if the file ended there ("short"), or stop the thread for
 *     good ("stall": it first creates BSPATCH_SHIM_FILE.stalled);
 *   BSPATCH_SHIM_NO_EXTEND=1: ftruncate refuses to grow a file (EPERM), as
 *     FAT through FUSE and some shares do;
 *   BSPATCH_SHIM_LOG: a file that gets a line for each fsync, rename and
 *     refused ftruncate, with the paths. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static void Log(const char* what, const char* a, const char* b) {
    const char* log = getenv("BSPATCH_SHIM_LOG");
    if (log == NULL) {
        return;
    }
    char line[8400];
    int n = snprintf(line, sizeof line, "%s %s%s%s\n", what, a, b ? " " : "", b ? b : "");
    int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        (void)!write(fd, line, (size_t)n);
        close(fd);
    }
}

static void PathOf(int fd, char* path, size_t size) {
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, size - 1);
    path[n < 0 ? 0 : n] = '\0';
}

/* Whether fd is the file whose reads fail. */
static int IsTarget(int fd) {
    const char* file = getenv("BSPATCH_SHIM_FILE");
    struct stat a, b;
    return file != NULL && stat(file, &a) == 0 && fstat(fd, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

typedef ssize_t (*PreadFn)(int, void*, size_t, off_t);

static ssize_t Pread(const char* name, int fd, void* buffer, size_t size, off_t offset) {
    PreadFn next = (PreadFn)dlsym(RTLD_NEXT, name);
    if (!IsTarget(fd)) {
        return next(fd, buffer, size, offset);
    }
    const off_t failAt = (off_t)strtoll(getenv("BSPATCH_SHIM_FAIL_AT"), NULL, 10);
    const char* mode = getenv("BSPATCH_SHIM_MODE");
    if (offset + (off_t)size <= failAt) {
        return next(fd, buffer, size, offset);
    }
    if (strcmp(mode, "short") == 0) {
        return offset >= failAt ? 0 : next(fd, buffer, (size_t)(failAt - offset), offset);
    }
    if (strcmp(mode, "stall") == 0) {
        char marker[4200];
        snprintf(marker, sizeof marker, "%s.stalled", getenv("BSPATCH_SHIM_FILE"));
        close(open(marker, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        for (;;) {
            pause();
        }
    }
    errno = EIO;
    return -1;
}

ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
    return Pread("pread", fd, buffer, size, offset);
}

ssize_t pread64(int fd, void* buffer, size_t size, off_t offset) {
    return Pread("pread64", fd, buffer, size, offset);
}

typedef int (*TruncateFn)(int, off_t);

static int Truncate(const char* name, int fd, off_t length) {
    struct stat info;
    const char* refuse = getenv("BSPATCH_SHIM_NO_EXTEND");
    if (refuse != NULL && strcmp(refuse, "1") == 0 && fstat(fd, &info) == 0 &&
        length > info.st_size) {
        char path[4200];
        PathOf(fd, path, sizeof path);
        Log("refused-ftruncate", path, NULL);
        errno = EPERM;
        return -1;
    }
    return ((TruncateFn)dlsym(RTLD_NEXT, name))(fd, length);
}

int ftruncate(int fd, off_t length) {
    return Truncate("ftruncate", fd, length);
}

int ftruncate64(int fd, off_t length) {
    return Truncate("ftruncate64", fd, length);
}

int fsync(int fd) {
    char path[4200];
    PathOf(fd, path, sizeof path);
    Log("fsync", path, NULL);
    return ((int (*)(int))dlsym(RTLD_NEXT, "fsync"))(fd);
}

int rename(const char* from, const char* to) {
    Log("rename", from, to);
    return ((int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename"))(from, to);
}
