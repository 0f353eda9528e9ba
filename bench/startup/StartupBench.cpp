// Start-up of Windows programs under Wine, side by side: each is started as a
// process in turn, round after round, under the same Wine and X display, and
// timed from its start to the moment its top-level window first shows its
// finished picture on the screen.
//
// The finished picture is learnt from an untimed start of each program: the
// window's pixels once they have held still for a second. The program is
// neither changed nor told that it is watched: the X server reports every
// drawing request on the screen (DAMAGE) with its time, and the window is read
// (MIT-SHM) only when its drawing has paused, so the reads never compete with
// it. The first read that equals the finished picture dates the start's end
// to the last drawing before it. Each start is closed the way a window
// manager closes a window (WM_DELETE_WINDOW), and the next one begins once its
// process has ended.
//
//   lunabel_startup_bench [--rounds N] [--size WxH] [--keep-desktop KEEPER.exe]
//                         NAME=PROGRAM.exe...
//
// Programs are started as `wine PROGRAM.exe` with the caller's environment
// (WINEPREFIX, DISPLAY). Prints one median per program and its ratio to the
// first program's.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xdamage.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A start that takes longer has gone wrong.
constexpr auto kGiveUp = std::chrono::seconds(30);
// Pixels unchanged this long are the finished picture.
constexpr auto kSettled = std::chrono::seconds(1);
// A pause in the drawing this long is when the window is looked at.
constexpr auto kQuiet = std::chrono::milliseconds(10);
constexpr auto kExitPatience = std::chrono::seconds(15);

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Quantile(std::vector<double> samples, double q) {
    std::sort(samples.begin(), samples.end());
    const double at = q * static_cast<double>(samples.size() - 1);
    const auto low = static_cast<std::size_t>(at);
    const std::size_t high = std::min(low + 1, samples.size() - 1);
    return samples[low] + (samples[high] - samples[low]) * (at - static_cast<double>(low));
}

[[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why);
}

// --- processes --------------------------------------------------------------

class Process {
public:
    // `input`: a descriptor for the child's standard input, or -1 for /dev/null.
    explicit Process(const std::string& exe, int input = -1) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (input >= 0) {
            posix_spawn_file_actions_adddup2(&actions, input, 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        }
        // Wine's own messages would only disturb the timing.
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::string wine = "wine";
        std::string program = exe;
        char* argv[] = {wine.data(), program.data(), nullptr};
        const int failed = posix_spawnp(&pid_, "wine", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed) {
            Fail("cannot start wine " + exe + ": " + std::strerror(failed));
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // Processor time the process has used so far, all its threads together.
    double CpuMilliseconds() const {
        double total = 0;
        const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
        DIR* dir = opendir(tasks.c_str());
        if (!dir) {
            return 0;
        }
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') {
                continue;
            }
            std::FILE* stat = std::fopen((tasks + "/" + entry->d_name + "/schedstat").c_str(), "r");
            unsigned long long ns = 0;
            if (stat && std::fscanf(stat, "%llu", &ns) == 1) {
                total += static_cast<double>(ns) / 1e6;
            }
            if (stat) {
                std::fclose(stat);
            }
        }
        closedir(dir);
        return total;
    }

    bool Ended() {
        if (pid_ <= 0) {
            return true;
        }
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = 0;
        }
        return pid_ <= 0;
    }

    // Waits for the process to end; false if it had to be killed.
    bool AwaitEnd(Clock::duration patience) {
        const auto deadline = Clock::now() + patience;
        while (!Ended()) {
            if (Clock::now() >= deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                pid_ = 0;
                return false;
            }
            usleep(2000);
        }
        return true;
    }

private:
    pid_t pid_ = 0;
};

// --- the X display ----------------------------------------------------------

int xErrors = 0;
int CountError(Display*, XErrorEvent*) {
    ++xErrors; // a window that went away between two requests
    return 0;
}

// Milliseconds on the clock of the X server's timestamps (the monotonic clock).
double NowMs() {
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

class Watcher {
public:
    Watcher(int width, int height) : width_(width), height_(height) {
        display_ = XOpenDisplay(nullptr);
        if (!display_) {
            Fail("cannot open the X display");
        }
        XSetErrorHandler(CountError);
        int error = 0;
        if (!XDamageQueryExtension(display_, &damageEvent_, &error)) {
            Fail("the X server has no DAMAGE extension");
        }
        if (!XShmQueryExtension(display_)) {
            Fail("the X server has no MIT-SHM extension");
        }
        root_ = DefaultRootWindow(display_);
        XSelectInput(display_, root_, SubstructureNotifyMask);
        // Every drawing request on the screen, children of the root included,
        // as its own event: nothing needs acknowledging while a program draws.
        damage_ = XDamageCreate(display_, root_, XDamageReportRawRectangles);
        protocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
        deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        // Out of every window's way: no program sees a hovering mouse.
        XWarpPointer(display_, None, root_, 0, 0, 0, 0, DisplayWidth(display_, 0) - 1,
                     DisplayHeight(display_, 0) - 1);
        XSync(display_, False);
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;
    ~Watcher() {
        FreeImage();
        XDamageDestroy(display_, damage_);
        XCloseDisplay(display_);
    }

    // Starts watching for a new window: forgets the last one and old events.
    void Reset() {
        XSync(display_, False);
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
        }
        window_ = 0;
    }

    Window Target() const { return window_; }

    // Waits up to `timeout` for the new window to appear or to be drawn on.
    // True when it did, with the time of that in `when` (milliseconds, NowMs).
    bool Wait(std::chrono::milliseconds timeout, double& when) {
        if (!XPending(display_)) {
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            if (poll(&fd, 1, static_cast<int>(timeout.count())) <= 0) {
                return false;
            }
        }
        bool seen = false;
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == damageEvent_ + XDamageNotify) {
                const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                if (window_ && Overlaps(damage.area)) {
                    // The server's time of the drawing, not the time we read it.
                    when = ServerToNow(damage.timestamp);
                    seen = true;
                }
            } else if (event.type == MapNotify && !window_ && IsWanted(event.xmap.window)) {
                window_ = event.xmap.window;
                when = NowMs();
                seen = true;
            }
        }
        return seen;
    }

    // Whether the window shows `picture`; with `learn`, takes what it shows as
    // the picture instead.
    bool Shows(std::vector<unsigned char>& picture, bool learn) {
        XWindowAttributes attributes;
        const int errors = xErrors;
        if (!XGetWindowAttributes(display_, window_, &attributes) || xErrors != errors) {
            return false;
        }
        if (!image_ || image_->depth != attributes.depth) {
            MakeImage(attributes.visual, attributes.depth);
        }
        if (!XShmGetImage(display_, window_, image_, 0, 0, AllPlanes) || xErrors != errors) {
            return false;
        }
        const std::size_t size = static_cast<std::size_t>(image_->bytes_per_line) * height_;
        const auto* pixels = reinterpret_cast<const unsigned char*>(image_->data);
        if (learn) {
            picture.assign(pixels, pixels + size);
            return true;
        }
        return picture.size() == size && std::memcmp(picture.data(), pixels, size) == 0;
    }

    // What a window manager does when the user closes the window.
    void Close() {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = protocols_;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow_);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window_, False, NoEventMask, &event);
        XFlush(display_);
    }

private:
    // A top-level window of the wanted size; its place on the screen is kept.
    bool IsWanted(Window window) {
        XWindowAttributes attributes;
        Window child = 0;
        const int errors = xErrors;
        if (!XGetWindowAttributes(display_, window, &attributes) || xErrors != errors ||
            attributes.width != width_ || attributes.height != height_ ||
            !XTranslateCoordinates(display_, window, root_, 0, 0, &left_, &top_, &child)) {
            return false;
        }
        return xErrors == errors;
    }

    bool Overlaps(const XRectangle& area) const {
        return area.x < left_ + width_ && left_ < area.x + area.width && area.y < top_ + height_ &&
               top_ < area.y + area.height;
    }

    // Server timestamps are milliseconds of the same monotonic clock, cut to 32 bits.
    static double ServerToNow(Time timestamp) {
        const double now = NowMs();
        const auto nowMs = static_cast<std::uint64_t>(now);
        const std::uint64_t back = (nowMs - static_cast<std::uint32_t>(timestamp)) & 0xffffffffu;
        return static_cast<double>(nowMs - back);
    }

    void MakeImage(Visual* visual, int depth) {
        FreeImage();
        image_ =
            XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shm_,
                            static_cast<unsigned>(width_), static_cast<unsigned>(height_));
        if (!image_) {
            Fail("XShmCreateImage failed");
        }
        shm_.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image_->bytes_per_line) * height_,
                            IPC_CREAT | 0600);
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        if (shm_.shmid < 0 || shm_.shmaddr == reinterpret_cast<char*>(-1) ||
            !XShmAttach(display_, &shm_)) {
            Fail("cannot share memory with the X server");
        }
        XSync(display_, False);
        // Gone once both sides have let go.
        shmctl(shm_.shmid, IPC_RMID, nullptr);
    }

    void FreeImage() {
        if (!image_) {
            return;
        }
        XShmDetach(display_, &shm_);
        XSync(display_, False);
        XDestroyImage(image_);
        shmdt(shm_.shmaddr);
        image_ = nullptr;
    }

    int width_;
    int height_;
    Display* display_ = nullptr;
    Window root_ = 0;
    int damageEvent_ = 0;
    Damage damage_ = 0;
    Atom protocols_ = 0;
    Atom deleteWindow_ = 0;
    Window window_ = 0;
    int left_ = 0;
    int top_ = 0;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
};

// --- one start ----------------------------------------------------------------

struct Program {
    std::string name;
    std::string exe;
    std::vector<unsigned char> picture; // the finished picture
    std::vector<double> startUps;       // milliseconds
    std::vector<double> cpu;            // milliseconds of processor time by then
};

// Starts the program and follows its window until it shows the finished
// picture (or, with `learn`, until its pixels have held still for a second
// and then become the finished picture). Nothing is read from the screen
// while drawing goes on: only once it has paused for `quiet`, and then the
// picture dates from the last drawing before the pause. Answers milliseconds
// from the start to that drawing.
double Follow(Watcher& watcher, Program& program, bool learn) {
    const auto quiet =
        learn ? std::chrono::milliseconds(kSettled) : std::chrono::milliseconds(kQuiet);
    watcher.Reset();
    const double started = NowMs();
    Process process(program.exe);
    double lastDrawn = 0;
    bool unread = false; // drawing since the last look
    for (;;) {
        if (NowMs() - started > Milliseconds(kGiveUp)) {
            Fail(program.name + " did not show its finished picture");
        }
        if (process.Ended()) {
            Fail(program.name + " ended before it showed its finished picture");
        }
        double when = 0;
        if (watcher.Wait(unread ? quiet : std::chrono::milliseconds(100), when)) {
            lastDrawn = std::max(lastDrawn, when);
            unread = true;
            continue;
        }
        if (!unread) {
            continue;
        }
        unread = false;
        if (watcher.Shows(program.picture, learn)) {
            if (!learn) {
                program.cpu.push_back(process.CpuMilliseconds());
            }
            break;
        }
    }
    watcher.Close();
    if (!process.AwaitEnd(kExitPatience)) {
        std::fprintf(stderr, "%s did not end when its window was closed; killed it\n",
                     program.name.c_str());
    }
    return lastDrawn - started;
}

// A program that holds Wine's desktop open for the whole run, so that no timed
// start pays for starting the desktop process.
class DesktopKeeper {
public:
    explicit DesktopKeeper(const std::string& exe) {
        int ends[2];
        if (pipe(ends) != 0) {
            Fail("pipe failed");
        }
        fcntl(ends[1], F_SETFD, FD_CLOEXEC);
        process_.emplace(exe, ends[0]);
        close(ends[0]);
        input_ = ends[1];
    }
    DesktopKeeper(const DesktopKeeper&) = delete;
    DesktopKeeper& operator=(const DesktopKeeper&) = delete;
    ~DesktopKeeper() {
        close(input_); // its signal to end
        process_->AwaitEnd(kExitPatience);
    }

private:
    std::optional<Process> process_;
    int input_ = -1;
};

int Usage() {
    std::fprintf(stderr, "usage: lunabel_startup_bench [--rounds N] [--size WxH] "
                         "[--keep-desktop KEEPER.exe] NAME=PROGRAM.exe...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 40;
    int width = 675;
    int height = 557;
    std::string keeper;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (arg == "--size" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2) {
                return Usage();
            }
        } else if (arg == "--keep-desktop" && i + 1 < argc) {
            keeper = argv[++i];
        } else if (const auto equals = arg.find('='); equals != std::string::npos) {
            programs.push_back({arg.substr(0, equals), arg.substr(equals + 1), {}, {}, {}});
        } else {
            return Usage();
        }
    }
    if (programs.empty() || rounds < 1) {
        return Usage();
    }

    try {
        Watcher watcher(width, height);
        std::optional<DesktopKeeper> desktop;
        if (!keeper.empty()) {
            desktop.emplace(keeper);
        }
        // Untimed: learns each picture, and warms the file cache for all.
        for (Program& program : programs) {
            Follow(watcher, program, true);
        }
        // Round r begins with program r mod n: each follows each as often.
        const std::size_t n = programs.size();
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t k = 0; k < n; ++k) {
                Program& program = programs[(static_cast<std::size_t>(round) + k) % n];
                program.startUps.push_back(Follow(watcher, program, false));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lunabel_startup_bench: %s\n", e.what());
        return 1;
    }

    const double base = Quantile(programs.front().startUps, 0.5);
    for (const Program& program : programs) {
        const double median = Quantile(program.startUps, 0.5);
        std::printf("%s: median %.1f ms, quartiles %.1f - %.1f ms (%zu starts); %.2fx %s; "
                    "processor time median %.1f ms\n",
                    program.name.c_str(), median, Quantile(program.startUps, 0.25),
                    Quantile(program.startUps, 0.75), program.startUps.size(), median / base,
                    programs.front().name.c_str(), Quantile(program.cpu, 0.5));
    }
    return 0;
}
