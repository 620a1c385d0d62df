/* Reads every workbook of a folder and does nothing with the bytes: the
 * floor under a whole mokuji run, which cannot be faster than getting the
 * same files off the file cache. run_whole.py times it beside mokuji.
 *
 * The files are those a run reads: regular files whose name ends in ".xls"
 * (or in one of the extensions given, as mokuji's --extensions takes them)
 * in any letter case, hidden ones (a leading dot) and owner files ("~$")
 * left out as mokuji leaves them out, and never the list file. Each file is
 * read whole, as a reader must have it before it parses anything, into one
 * buffer that grows to the largest file and is reused, so that the count is
 * of reading and not of allocating.
 *
 * Usage: mokuji-raw-read [--extensions xls,xlsx] FOLDER
 * Prints the number of files and of bytes read.
 */
#define _POSIX_C_SOURCE 200809L

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static const char kListFile[] = "00_\xE7\x9B\xAE\xE6\xAC\xA1.xls"; /* 00_目次.xls in UTF-8 */

static int ascii_lower(int c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

/* Compares ASCII letters without case; other bytes (the UTF-8 of a
 * Japanese name) must be equal, as the file system treats them. */
static int equal_ignoring_case(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (ascii_lower((unsigned char)*a) != ascii_lower((unsigned char)*b)) return 0;
    return *a == *b;
}

/* Ends in "." and one of the comma-separated extensions, in any case. */
static int has_extension(const char* name, const char* extensions) {
    size_t n = strlen(name);
    for (const char* e = extensions; *e;) {
        size_t len = strcspn(e, ",");
        if (len > 0 && n > len + 1 && name[n - len - 1] == '.') {
            int same = 1;
            for (size_t i = 0; i < len && same; ++i)
                same = ascii_lower((unsigned char)name[n - len + i]) ==
                       ascii_lower((unsigned char)e[i]);
            if (same) return 1;
        }
        e += len + (e[len] == ',');
    }
    return 0;
}

static int is_source_name(const char* name, const char* extensions) {
    if (name[0] == '.' || strncmp(name, "~$", 2) == 0) return 0;
    return has_extension(name, extensions) && !equal_ignoring_case(name, kListFile);
}

int main(int argc, char** argv) {
    const char* extensions = "xls";
    if (argc == 4 && strcmp(argv[1], "--extensions") == 0) {
        extensions = argv[2];
        argv += 2;
        argc -= 2;
    }
    if (argc != 2) {
        fprintf(stderr, "usage: %s [--extensions xls,xlsx] FOLDER\n", argv[0]);
        return 2;
    }
    int folder = open(argv[1], O_RDONLY | O_DIRECTORY);
    DIR* dir = folder < 0 ? NULL : fdopendir(folder);
    if (!dir) {
        fprintf(stderr, "%s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    char* buffer = NULL;
    size_t capacity = 0;
    unsigned long files = 0;
    unsigned long long bytes = 0;
    struct dirent* entry;
    while ((entry = readdir(dir)) != NULL) {
        struct stat st;
        if (!is_source_name(entry->d_name, extensions)) continue;
        if (fstatat(folder, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        int fd = openat(folder, entry->d_name, O_RDONLY);
        if (fd < 0) {
            fprintf(stderr, "%s: %s\n", entry->d_name, strerror(errno));
            return 1;
        }
        /* Room for a byte more than stat says, so that the read that finds
         * the end needs no growing; a file that grew since is still read to
         * its end. */
        size_t used = 0;
        size_t wanted = (size_t)st.st_size + 1;
        for (;;) {
            if (capacity < wanted) {
                size_t grown = capacity ? capacity : 64 * 1024;
                while (grown < wanted) grown *= 2;
                char* more = realloc(buffer, grown);
                if (!more) {
                    fprintf(stderr, "%s: out of memory\n", entry->d_name);
                    return 1;
                }
                buffer = more;
                capacity = grown;
            }
            ssize_t got = read(fd, buffer + used, capacity - used);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                fprintf(stderr, "%s: %s\n", entry->d_name, strerror(errno));
                return 1;
            }
            if (got == 0) break;
            used += (size_t)got;
            if (used == capacity) wanted = capacity * 2;
        }
        close(fd);
        ++files;
        bytes += used;
    }
    closedir(dir);
    free(buffer);
    printf("%lu files, %llu bytes\n", files, bytes);
    return 0;
}
