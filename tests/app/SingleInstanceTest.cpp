// One window per user: a second start of the program hands over to the first and ends,
// and a socket left by a crashed run does not stop the next start.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/SingleInstance.h"
#include "support/TempDir.h"

using zb::app::SingleInstance;

namespace {

// Each test gets a runtime folder of its own, so its socket meets no other.
struct RuntimeDir {
    zb::test::TempDir dir;
    RuntimeDir() { setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1); }
    ~RuntimeDir() { unsetenv("XDG_RUNTIME_DIR"); }
};

}  // namespace

TEST(SingleInstance, SecondStartShowsTheFirstWindowAndEnds) {
    RuntimeDir runtime;
    SingleInstance first;
    ASSERT_TRUE(first.listen());
    QSignalSpy shown(&first, &SingleInstance::showRequested);

    QProcess second;
    second.setProgram(QStringLiteral(ZB_BIN_DIR "/zipbackup"));
    second.setArguments({QStringLiteral("--app-dir"), QString::fromStdString((runtime.dir / "settings").string())});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    QSignalSpy finished(&second, &QProcess::finished);
    second.start();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(shown.count(), 1);
    // It ended before looking for its settings folder: it never built a window.
    EXPECT_FALSE(std::filesystem::exists(runtime.dir / "settings"));
}

TEST(SingleInstance, StaleSocketFromACrashIsReplaced) {
    RuntimeDir runtime;
    const std::string path = SingleInstance::socketName().toStdString();
    // A bound socket whose owner is gone: the file stays, nobody answers.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));

    EXPECT_FALSE(SingleInstance::handOff(500));
    SingleInstance next;
    EXPECT_TRUE(next.listen());
}
