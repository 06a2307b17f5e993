/* CUPS backend of the private test scheduler: keeps each job's data as
 * $KEEPJOB_DIR/<queue>/<NNN>-<title>, NNN counting the queue's jobs in arrival order.
 * Arguments (CUPS backend convention): job-id user title copies options [file].
 * One small process per job, as a printer's own backend is, so that the scheduler's cost per job is
 * that of a real queue and not of a script starting programs. */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int fail(const char* job, const char* what) {
    fprintf(stderr, "ERROR: could not keep job %s: %s: %s\n", job, what, strerror(errno));
    return 1;
}

/* The queue's jobs so far, counted in DIR/.seq; one job at a time per queue, so a plain file does. */
static int next_number(const char* dir) {
    char path[4096];
    int seq = 0;
    if (snprintf(path, sizeof path, "%s/.seq", dir) >= (int)sizeof path) return 1;
    FILE* f = fopen(path, "r");
    if (f) {
        if (fscanf(f, "%d", &seq) != 1) seq = 0;
        fclose(f);
    }
    ++seq;
    f = fopen(path, "w");
    if (f) {
        fprintf(f, "%d\n", seq);
        fclose(f);
    }
    return seq;
}

static int copy(int from, int to) {
    char buffer[65536];
    ssize_t n;
    while ((n = read(from, buffer, sizeof buffer)) > 0) {
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(to, buffer + done, (size_t)(n - done));
            if (w < 0) return -1;
            done += w;
        }
    }
    return n < 0 ? -1 : 0;
}

int main(int argc, char** argv) {
    if (argc == 1) {
        puts("direct keepjob \"Unknown\" \"Job keeper of the test scheduler\"");
        return 0;
    }
    if (argc < 6) {
        fputs("ERROR: usage: keepjob job-id user title copies options [file]\n", stderr);
        return 1;
    }
    const char* root = getenv("KEEPJOB_DIR");
    if (!root || !*root) {
        fputs("ERROR: KEEPJOB_DIR is not set\n", stderr);
        return 1;
    }
    umask(022);
    const char* queue = getenv("PRINTER");
    if (!queue || !*queue) queue = "unknown";
    char dir[4096];
    snprintf(dir, sizeof dir, "%s/%s", root, queue);
    if (mkdir(dir, 0755) != 0 && errno != EEXIST) return fail(argv[1], dir);

    /* The title becomes one file name: no slashes or control characters, at most 200 bytes. */
    char title[201];
    snprintf(title, sizeof title, "%s", argv[3]);
    for (char* c = title; *c; ++c)
        if (*c == '/' || (unsigned char)*c < 0x20 || *c == 0x7f) *c = '_';

    char target[4096 + 256], part[4096 + 256 + 8];
    snprintf(target, sizeof target, "%s/%03d-%s", dir, next_number(dir), title);
    snprintf(part, sizeof part, "%s.part", target);
    const int from = argc >= 7 ? open(argv[6], O_RDONLY | O_CLOEXEC) : 0;
    if (from < 0) return fail(argv[1], argv[6]);
    const int to = open(part, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (to < 0) return fail(argv[1], part);
    if (copy(from, to) != 0 || close(to) != 0 || rename(part, target) != 0) {
        const int error = errno;
        unlink(part);
        errno = error;
        return fail(argv[1], target);
    }
    fprintf(stderr, "INFO: kept job %s as %s\n", argv[1], target);
    return 0;
}
