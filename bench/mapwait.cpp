// mapwait COMMAND [ARG...]: prints the milliseconds from just before exec of
// COMMAND to the first MapNotify of a top-level window on the root window, then
// ends COMMAND. Without a window manager a program's own window maps directly
// on the root, so the event arrives the moment the server maps it.
#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr int kTimeoutMs = 60000;

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

bool readAll(int fd, void* data, size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

void endChild(pid_t child) {
    kill(child, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child) return;
        usleep(10000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s COMMAND [ARG...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "mapwait: cannot open display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    const int xfd = ConnectionNumber(display);
    fcntl(xfd, F_SETFD, FD_CLOEXEC);

    // The child sends its clock reading just before exec, then errno if exec
    // fails; the close-on-exec pipe reaches end of file when exec succeeds.
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        std::perror("mapwait: pipe");
        return 2;
    }
    const pid_t child = fork();
    if (child < 0) {
        std::perror("mapwait: fork");
        return 2;
    }
    if (child == 0) {
        close(pipeFds[0]);
        const double start = nowMs();
        if (write(pipeFds[1], &start, sizeof start) != sizeof start) _exit(127);
        execvp(argv[1], argv + 1);
        const int error = errno;
        (void)!write(pipeFds[1], &error, sizeof error);
        _exit(127);
    }
    close(pipeFds[1]);
    double start = 0;
    int execError = 0;
    if (!readAll(pipeFds[0], &start, sizeof start)) {
        std::fprintf(stderr, "mapwait: the child did not start\n");
        waitpid(child, nullptr, 0);
        return 1;
    }
    if (readAll(pipeFds[0], &execError, sizeof execError)) {
        std::fprintf(stderr, "mapwait: cannot run %s: %s\n", argv[1], std::strerror(execError));
        waitpid(child, nullptr, 0);
        return 1;
    }
    close(pipeFds[0]);

    double mapped = -1;
    while (mapped < 0) {
        while (mapped < 0 && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            // Menus and tooltips map with override-redirect; only a real window counts.
            if (event.type == MapNotify && event.xmap.event == root &&
                !event.xmap.override_redirect)
                mapped = nowMs();
        }
        if (mapped >= 0) break;
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "mapwait: %s ended before mapping a window\n", argv[1]);
            return 1;
        }
        pollfd pfd{xfd, POLLIN, 0};
        const int ready = poll(&pfd, 1, 100);
        if (ready < 0 && errno != EINTR) {
            std::perror("mapwait: poll");
            endChild(child);
            return 1;
        }
        if (nowMs() - start > kTimeoutMs) {
            std::fprintf(stderr, "mapwait: no window mapped within %d ms\n", kTimeoutMs);
            endChild(child);
            return 1;
        }
    }
    std::printf("%.1f\n", mapped - start);
    std::fflush(stdout);
    endChild(child);
    XCloseDisplay(display);
    return 0;
}
