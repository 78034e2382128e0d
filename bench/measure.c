/* Runs COMMAND with standard input from INPUT and standard output left as it
 * is (the benchmark points it into a pipe), then writes three numbers for the
 * command alone to standard error: wall-clock nanoseconds, CPU nanoseconds
 * (user plus system) and peak resident memory in KiB.
 * Usage: measure INPUT COMMAND [ARG...] */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long nanoseconds(struct timeval t)
{
    return t.tv_sec * 1000000000LL + t.tv_usec * 1000LL;
}

int main(int argc, char **argv)
{
    int input = argc < 3 ? -1 : open(argv[1], O_RDONLY);
    if (input < 0) {
        fprintf(stderr, "usage: measure INPUT COMMAND [ARG...]\n");
        return 2;
    }

    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = fork();
    if (child == 0) {
        dup2(input, STDIN_FILENO);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status;
    struct rusage usage;
    wait4(child, &status, 0, &usage);
    clock_gettime(CLOCK_MONOTONIC, &end);

    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "measure: %s failed\n", argv[2]);
        return 1;
    }
    long long wall = (end.tv_sec - start.tv_sec) * 1000000000LL + (end.tv_nsec - start.tv_nsec);
    long long cpu = nanoseconds(usage.ru_utime) + nanoseconds(usage.ru_stime);
    fprintf(stderr, "%lld %lld %ld\n", wall, cpu, usage.ru_maxrss);
    return 0;
}
