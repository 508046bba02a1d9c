/* A Linux preload library for one bad-input case: a file that is there when the launcher looks for it
 * and gone when it opens it, as if another program had removed it in between.
 *
 * Under Wine the existence check (GetFileAttributesA) is a stat() in the program's own process,
 * while the open (CreateFileA) is an open() made by the wineserver on the program's behalf. Preloaded
 * into the wineserver, this library makes every open() of a file whose name is $VANISHING_FILE
 * (compared without regard to case, as Windows names are) fail with ENOENT and leaves everything else
 * alone, so the gap between the check and the read, microseconds wide in reality, becomes certain.
 *
 * Built by the test that uses it: cc -shared -fPIC -o vanishing_file_shim.so vanishing_file_shim.c -ldl
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

static int Vanished(const char* path) {
    const char* name = getenv("VANISHING_FILE");
    if (name == NULL || *name == '\0' || path == NULL) return 0;
    const char* base = strrchr(path, '/');
    base = base ? base + 1 : path;
    return strcasecmp(base, name) == 0;
}

/* The mode argument is only there with O_CREAT or O_TMPFILE; reading it otherwise is harmless on
 * x86-64, where it is a register. */
#define FORWARD_OPEN(symbol, ...)                                                  \
    {                                                                              \
        va_list args;                                                              \
        va_start(args, flags);                                                     \
        const mode_t mode = (mode_t)va_arg(args, int);                             \
        va_end(args);                                                              \
        if (Vanished(path)) {                                                      \
            errno = ENOENT;                                                        \
            return -1;                                                             \
        }                                                                          \
        return ((int (*)())dlsym(RTLD_NEXT, symbol))(__VA_ARGS__, flags, mode);    \
    }

int open(const char* path, int flags, ...) FORWARD_OPEN("open", path)
int open64(const char* path, int flags, ...) FORWARD_OPEN("open64", path)
int openat(int dir, const char* path, int flags, ...) FORWARD_OPEN("openat", dir, path)
int openat64(int dir, const char* path, int flags, ...) FORWARD_OPEN("openat64", dir, path)
