/* Runs a command whose closing of standard output fails with EIO, as a full
 * disk on NFS or past a quota can first show itself at the close. A seccomp
 * filter answers close(1) with that error; it holds across exec, so it reaches
 * the program through any launcher, and whatever closes descriptor 1 (the C
 * library's fclose included) meets it.
 * Usage: stdout-close-fails COMMAND [ARGUMENT...] */
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__x86_64__)
#define ARCHITECTURE AUDIT_ARCH_X86_64
#elif defined(__aarch64__)
#define ARCHITECTURE AUDIT_ARCH_AARCH64
#else
#error "no seccomp architecture known for this processor"
#endif

int main(int argc, char *argv[])
{
    if (argc < 2) {
        fputs("usage: stdout-close-fails COMMAND [ARGUMENT...]\n", stderr);
        return 2;
    }
    struct sock_filter filter[] = {
        /* System call numbers mean something only for one architecture. */
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ARCHITECTURE, 0, 5),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_close, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, args[0])),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 1, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog program = { sizeof filter / sizeof filter[0], filter };
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        perror("stdout-close-fails: seccomp");
        return 2;
    }
    execvp(argv[1], argv + 1);
    perror("stdout-close-fails: exec");
    return 2;
}
