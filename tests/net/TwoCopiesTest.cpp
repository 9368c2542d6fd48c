// Two real copies of the game, each with its own data folder, play a short
// game to mate over 127.0.0.1, each driven by its scripted player, then
// exchange a chat line and close.
#include "net/NetTestSupport.h"
#include "net/ProgramCopy.h"

#include <vector>

using namespace corvane::nettest;

namespace {

using Copy = ProgramCopy;

TEST(TwoCopies, PlayAGameToMateOverLoopback) {
    const long port = FreePort();
    Copy host, joiner;
    host.Start(CORVANE_EXECUTABLE, port, "host ANFITRIAO\nf2-f3\ng2-g4\n");
    ASSERT_TRUE(host.WaitFor("aguardando", 30000)) << host.output.toStdString();
    joiner.Start(CORVANE_EXECUTABLE, port, "join VISITANTE 127.0.0.1\ne7-e5\nd8-h4\n");
    for (Copy* copy : {&host, &joiner}) {
        EXPECT_TRUE(copy->WaitFor("chat ", 60000)) << copy->output.toStdString();
        EXPECT_TRUE(copy->process.waitForFinished(30000));
        copy->output += copy->process.readAllStandardOutput();
    }
    // Each copy's lines (the chat line may come before the swap is noticed).
    const std::vector<QByteArray> lines[2] = {
        {"brancas 1\n", "lance f2-f3\n", "lance g2-g4\n", "estado XEQUE-MATE\n",
         "trocadas brancas 0\n", "chat VISITANTE : fim\n"},
        {"brancas 0\n", "lance e7-e5\n", "lance d8-h4\n", "estado XEQUE-MATE\n",
         "trocadas brancas 1\n", "chat ANFITRIAO : fim\n"}};
    for (int i = 0; i < 2; ++i) {
        const QByteArray& output = (i == 0 ? host : joiner).output;
        for (const QByteArray& line : lines[i])
            EXPECT_TRUE(output.contains(line)) << line.toStdString() << output.toStdString();
    }
    EXPECT_EQ(host.process.exitCode(), 0);
    EXPECT_EQ(joiner.process.exitCode(), 0);
}

} // namespace
