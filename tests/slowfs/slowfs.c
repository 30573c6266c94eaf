// A small read-only FUSE file system that answers slowly, or never, so that
// the program can be tried against a mount that behaves like a slow network
// share. It holds a fixed tree:
//
//   /proj/a  /proj/b  /proj/c   folders
//   /proj/note.txt              an empty file
//   /hang                       a folder whose listing never answers
//
// Usage: quillane_slowfs MOUNTPOINT [-f] [-o list_delay=MS,stat_delay=MS,hang]
//   list_delay  every directory listing waits this long (default 0)
//   stat_delay  every look-up and stat below the root waits this long
//   hang        every look-up below the root and every listing never answers
// The file system's type is "fuse.slowfs". Each listing is logged on
// standard error when it starts and when it answers, so that a test can
// tell what the program is waiting for.

#define FUSE_USE_VERSION 31

#include <fuse.h>

#include <errno.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

struct options {
    unsigned list_delay;
    unsigned stat_delay;
    int hang;
};

static struct options opts;

static const struct fuse_opt option_spec[] = {
    {"list_delay=%u", offsetof(struct options, list_delay), 0},
    {"stat_delay=%u", offsetof(struct options, stat_delay), 0},
    {"hang", offsetof(struct options, hang), 1},
    FUSE_OPT_END,
};

struct entry {
    const char* path;
    int folder;
};

static const struct entry entries[] = {
    {"/", 1},        {"/proj", 1},   {"/proj/a", 1}, {"/proj/b", 1},
    {"/proj/c", 1},  {"/proj/note.txt", 0},          {"/hang", 1},
};

static const struct entry* find(const char* path) {
    for (size_t i = 0; i < sizeof entries / sizeof entries[0]; ++i)
        if (strcmp(entries[i].path, path) == 0) return &entries[i];
    return NULL;
}

// Whether `child` lies directly in the folder `parent`.
static int directly_in(const char* parent, const char* child) {
    const size_t n = strlen(parent);
    if (strcmp(child, "/") == 0 || strncmp(parent, child, n) != 0) return 0;
    const char* rest = child + n;
    if (n > 1) {
        if (*rest != '/') return 0;
        ++rest;
    } else if (*rest == '/') {
        ++rest;
    }
    return *rest != '\0' && strchr(rest, '/') == NULL;
}

static void wait_ms(unsigned ms) {
    struct timespec t = {ms / 1000, (long)(ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

// A request that never answers: only the end of the daemon ends it.
static void never(void) {
    for (;;) pause();
}

static int fs_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    (void)fi;
    // The root answers at once, so that mounting and the kernel's own look
    // at the mount point never wait.
    if (strcmp(path, "/") != 0) {
        if (opts.hang) never();
        wait_ms(opts.stat_delay);
    }
    const struct entry* e = find(path);
    if (e == NULL) return -ENOENT;
    memset(st, 0, sizeof *st);
    st->st_mode = e->folder ? (S_IFDIR | 0755) : (S_IFREG | 0644);
    st->st_nlink = e->folder ? 2 : 1;
    st->st_uid = getuid();
    st->st_gid = getgid();
    return 0;
}

static int fs_readdir(const char* path, void* buf, fuse_fill_dir_t filler, off_t offset,
                      struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
    (void)offset;
    (void)fi;
    (void)flags;
    const struct entry* folder = find(path);
    if (folder == NULL || !folder->folder) return -ENOENT;
    fprintf(stderr, "listing %s\n", path);
    if (opts.hang || strcmp(path, "/hang") == 0) never();
    wait_ms(opts.list_delay);
    filler(buf, ".", NULL, 0, 0);
    filler(buf, "..", NULL, 0, 0);
    for (size_t i = 0; i < sizeof entries / sizeof entries[0]; ++i) {
        if (!directly_in(path, entries[i].path)) continue;
        struct stat st;
        memset(&st, 0, sizeof st);
        st.st_mode = entries[i].folder ? S_IFDIR : S_IFREG;
        filler(buf, strrchr(entries[i].path, '/') + 1, &st, 0, 0);
    }
    fprintf(stderr, "listed %s\n", path);
    return 0;
}

static int fs_open(const char* path, struct fuse_file_info* fi) {
    const struct entry* e = find(path);
    if (e == NULL) return -ENOENT;
    if (e->folder) return -EISDIR;
    if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    return 0;
}

static int fs_read(const char* path, char* buf, size_t size, off_t offset, struct fuse_file_info* fi) {
    (void)path;
    (void)buf;
    (void)size;
    (void)offset;
    (void)fi;
    return 0;
}

static const struct fuse_operations operations = {
    .getattr = fs_getattr,
    .readdir = fs_readdir,
    .open = fs_open,
    .read = fs_read,
};

int main(int argc, char* argv[]) {
    struct fuse_args args = FUSE_ARGS_INIT(argc, argv);
    if (fuse_opt_parse(&args, &opts, option_spec, NULL) == -1) return 1;
    // The type the mount table shows, whatever the program file is called.
    if (fuse_opt_add_arg(&args, "-osubtype=slowfs,fsname=slowfs") == -1) return 1;
    const int status = fuse_main(args.argc, args.argv, &operations, NULL);
    fuse_opt_free_args(&args);
    return status;
}
