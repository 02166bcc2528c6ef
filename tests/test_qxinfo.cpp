#include <gtest/gtest.h>

#include "support/ChildProcess.h"
#include "support/TestFiles.h"

// The command-line host, run as a user would: from a folder of its own, with the shipped
// demo folder as its working directory.
namespace {

class QxInfoTest : public ::testing::Test {
protected:
    QxChildResult Run(const std::wstring& arguments) { return QxRunChild(L"qxinfo.exe", arguments, elsewhere_.Path()); }
    TempDir elsewhere_;  // the user's current folder, unrelated to the program's
};

bool Holds(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

TEST_F(QxInfoTest, HelpAndUsageSayHowToCallIt) {
    QxChildResult help = Run(L"--help");
    ASSERT_TRUE(help.finished);
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_TRUE(Holds(help.output, "usage: qxinfo")) << help.output;
    EXPECT_TRUE(Holds(help.output, "services SERVER")) << help.output;

    QxChildResult missing = Run(L"services");
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_TRUE(Holds(missing.output, "usage: qxinfo services SERVER")) << missing.output;

    QxChildResult commandHelp = Run(L"run --help");
    EXPECT_EQ(commandHelp.exitCode, 0u);
    EXPECT_TRUE(Holds(commandHelp.output, "usage: qxinfo run SERVER SERVICE")) << commandHelp.output;

    QxChildResult unknown = Run(L"frobnicate");
    EXPECT_EQ(unknown.exitCode, 2u);
    EXPECT_TRUE(Holds(unknown.output, "unknown command: frobnicate")) << unknown.output;
}

TEST_F(QxInfoTest, TheShippedDemoFolderWorksFromAnyCurrentFolder) {
    QxChildResult services = Run(L"services \"Demo (SQLite)\"");
    EXPECT_EQ(services.exitCode, 0u) << services.output;
    EXPECT_TRUE(Holds(services.output, "demo_customers_by_city")) << services.output;

    QxChildResult run = Run(L"run \"Demo (SQLite)\" demo_customers_by_city city=Lyon");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_TRUE(Holds(run.output, "locally: success")) << run.output;
    EXPECT_TRUE(Holds(run.output, "Ada Brenner")) << run.output;
}

TEST_F(QxInfoTest, ALocalRunThatCannotStartSaysWhy) {
    QxChildResult run = Run(L"run \"Demo (SQLite)\" no_such_service");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(Holds(run.output, "there is no definition")) << run.output;
    EXPECT_TRUE(Holds(run.output, "no_such_service.xml")) << run.output;

    const std::string serverenv =
        "<environments><local><e name=\"Nowhere\" svc_forder=\"C:\\\\no such folder\"/></local></environments>";
    elsewhere_.Write(L"qrx_serverenv.xml", serverenv);
    QxChildResult catalogue = Run(L"--workdir . run Nowhere anything");
    EXPECT_EQ(catalogue.exitCode, 1u);
    EXPECT_TRUE(Holds(catalogue.output, "qrx_adaptor.xml")) << catalogue.output;
}

}  // namespace
