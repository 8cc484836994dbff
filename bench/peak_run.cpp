// Runs one program and writes its peak resident size to a file. The benchmark cannot read that
// from its own children: a child forked from a large process carries the parent's resident pages
// until it execs, and the kernel keeps that as the child's high-water mark. This launcher is
// small, so what it forks starts small.
//
// quorina1c-peak-run RESULT OUT PROGRAM [ARG...]
//   runs PROGRAM with its output to OUT and its errors discarded, writes "<peak KiB> <status>"
//   to RESULT, and exits 0 when it could run and wait for PROGRAM.
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RESULT OUT PROGRAM [ARG...]\n", argv[0]);
        return 2;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        return 1;
    }
    if (pid == 0) {
        const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = open("/dev/null", O_WRONLY);
        if (out < 0 || null < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(null, STDERR_FILENO) < 0) {
            _exit(126);
        }
        execv(argv[3], argv + 3);
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid) {
        return 1;
    }
    std::FILE* result = std::fopen(argv[1], "w");
    if (result == nullptr) {
        return 1;
    }
    std::fprintf(result, "%ld %d\n", usage.ru_maxrss, status);
    return std::fclose(result) == 0 ? 0 : 1;
}
