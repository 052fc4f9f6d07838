// The program started where no display can be reached: a message in Spanish
// and exit code 1, not Qt's abort.

#include <string>
#include <vector>

#include "../tools/process_test.h"

namespace {

const std::string kMessage = "POBLACION: no se puede abrir la pantalla. El programa necesita una sesión gráfica "
                             "(compruebe DISPLAY o WAYLAND_DISPLAY).\n";

class StartupTest : public ProcessTest {
protected:
    // The program under `timeout`, with the environment changed by `env`
    // arguments ("-u NAME" or "NAME=value"); no session type, so that Qt
    // picks its platform from what is set.
    Outcome start(std::vector<std::string> env) const
    {
        std::vector<std::string> args = {"20", "env", "-u", "XDG_SESSION_TYPE"};
        args.insert(args.end(), env.begin(), env.end());
        args.push_back(POBLACION_PATH);
        return run("timeout", args);
    }
};

TEST_F(StartupTest, AnUnreachableXDisplayGivesTheSpanishMessageAndExitCode1)
{
    const Outcome o = start({"-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", "DISPLAY=:987654"});
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_TRUE(o.err.ends_with(kMessage)) << o.err;
    EXPECT_EQ(o.out, "");
}

TEST_F(StartupTest, NoDisplayAtAllOnTheXPlatformGivesTheSameMessage)
{
    const Outcome o = start({"-u", "WAYLAND_DISPLAY", "-u", "DISPLAY", "QT_QPA_PLATFORM=xcb"});
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_TRUE(o.err.ends_with(kMessage)) << o.err;
}

// Whether the Wayland plugin is missing or finds no compositor, the program
// cannot start there.
TEST_F(StartupTest, APlatformThatCannotStartGivesTheSameMessage)
{
    const Outcome o = start({"-u", "DISPLAY", "WAYLAND_DISPLAY=poblacion-no-such-display", "QT_QPA_PLATFORM=wayland"});
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_TRUE(o.err.ends_with(kMessage)) << o.err;
}

// The offscreen platform needs no display: the program runs until stopped
// (timeout's exit code 124).
TEST_F(StartupTest, TheOffscreenPlatformStillStarts)
{
    const std::string home = path("home");
    fs::create_directories(home + "/run");
    fs::permissions(home + "/run", fs::perms::owner_all, fs::perm_options::replace);
    const Outcome o = run("timeout", {"3", "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=offscreen",
                                      "HOME=" + home, "XDG_RUNTIME_DIR=" + home + "/run", POBLACION_PATH});
    EXPECT_EQ(o.code, 124) << o.err;
    EXPECT_EQ(o.err.find("POBLACION"), std::string::npos) << o.err;
}

} // namespace
