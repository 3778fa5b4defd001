// Temporary files and the sweep of those their writer left behind: the
// file's lock alone tells whether it is still being written.
#include "platform/output_file.h"
#include "tests/support/test_support.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing_support::ListFiles;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// A child process that has ended and that this process has not reaped yet:
// a zombie, whose id still answers as a process's.
class Zombie {
public:
    Zombie() : id_(fork()) {
        if (id_ == 0)
            _exit(0);
        for (int waited = 0; waited < 10000 && !HasEnded(); waited += 10) // up to ten seconds on a loaded machine
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~Zombie() { waitpid(id_, nullptr, 0); }
    Zombie(const Zombie&) = delete;
    Zombie& operator=(const Zombie&) = delete;
    pid_t Id() const { return id_; }
    bool HasEnded() const {
        const std::string stat = ReadFile("/proc/" + std::to_string(id_) + "/stat");
        const size_t close = stat.rfind(')');
        return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
    }

private:
    pid_t id_;
};

// Holds a file's lock, as its writer does, until released.
class HeldLock {
public:
    explicit HeldLock(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_CLOEXEC)) {
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        held_ = fcntl(fd_, F_OFD_SETLK, &whole) == 0;
    }
    ~HeldLock() { Release(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    bool Held() const { return held_; }
    void Release() {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    bool held_ = false;
};

std::string TemporaryOf(long writer, const char* tag) {
    return ".vellumin-" + std::to_string(writer) + "-" + tag + ".part";
}

} // namespace

// Whatever process its name gives (one ended but not yet reaped, as the
// worker of a run killed a moment ago is; this very one), a temporary file
// that no writer holds locked is removed; one held locked stays, as does a
// file being written now, which is then renamed into place as usual.
TEST(StaleTemporaries, OnlyTheLockTellsWhetherAFileIsStillWritten) {
    TempDir dir;
    Zombie zombie;
    ASSERT_TRUE(zombie.HasEnded());
    const std::string ofZombie = TemporaryOf(zombie.Id(), "0000abcd"), ofThis = TemporaryOf(getpid(), "0000abcd"),
                      held = TemporaryOf(testing_support::EndedProcessId(), "00001234"),
                      unlike = ".vellumin-notes.part";
    for (const std::string& name : {ofZombie, ofThis, held, unlike})
        WriteFile(dir / name, "half an image");
    HeldLock lock(dir / held);
    ASSERT_TRUE(lock.Held());
    platform::OutputFile writing(dir / "image.ppm");
    ASSERT_NE(writing.Stream(), nullptr);
    std::fputs("P5 1 1 255\n", writing.Stream());
    const std::vector<std::string> before = ListFiles(dir.path());

    platform::RemoveStaleTemporaryFiles(dir.path());
    std::vector<std::string> expected;
    for (const std::string& name : before)
        if (name != ofZombie && name != ofThis)
            expected.push_back(name);
    EXPECT_EQ(ListFiles(dir.path()), expected);
    EXPECT_TRUE(writing.Commit());
    EXPECT_EQ(ReadFile(dir / "image.ppm"), "P5 1 1 255\n");
}

// A file still locked when a run first sweeps its folder, whose writer ends
// while the run goes on, is removed when the run ends.
TEST(StaleTemporaries, ARunSweepsItsFoldersAgainAtItsEnd) {
    TempDir dir;
    const std::string name = TemporaryOf(testing_support::EndedProcessId(), "0000abcd");
    WriteFile(dir / name, "half an image");
    HeldLock lock(dir / name);
    ASSERT_TRUE(lock.Held());
    platform::StaleTemporarySweep sweep;
    sweep.Before(dir.path());
    EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{name});
    lock.Release();
    sweep.AfterRun();
    EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{});
}
