#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "support/MessageRecorder.h"
#include "support/ScratchFolder.h"
#include <string>

namespace {

class EnvironmentModulesTest : public ::testing::Test {
protected:
    void SetUp() override { qx_SetWorkingDir(folder_.Path().c_str()); }
    void TearDown() override {
        for (int i = 0; i < list_.Count(); ++i) delete static_cast<ENVIRONMENT_INFO*>(list_.Items(i));
        list_.Clear();
        qx_SetWorkingDir(L"");
    }
    void WriteModules(const std::string& text) { folder_.Write(L"qrx_environment.xml", text); }
    const ENVIRONMENT_INFO& At(int i) const { return *static_cast<const ENVIRONMENT_INFO*>(list_.Items(i)); }

    QxScratchFolder folder_;
    QxMessageRecorder messages_;  // the reader must stay silent
    Qx_PtrList list_;
};

TEST_F(EnvironmentModulesTest, ReadsModulesInOrderWithTheSuffix) {
    WriteModules(
        "<adaptors><m name=\"Svc\" module=\"QxSvcEnv\"/><other name=\" B \" module=\"\"/>"
        "<m name=\"C\" module=\"Twice320\"/></adaptors>");
    ASSERT_TRUE(qx_ReadEnvironmentList(list_));
    ASSERT_EQ(3, list_.Count());
    EXPECT_EQ(At(0).name, L"Svc");
    EXPECT_EQ(At(0).module, L"QxSvcEnv320");
    EXPECT_EQ(At(1).name, L" B ");
    EXPECT_EQ(At(1).module, L"320");
    EXPECT_EQ(At(2).module, L"Twice320320");
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(EnvironmentModulesTest, ReadingTwiceAppendsTwice) {
    WriteModules("<adaptors><m name=\"A\" module=\"a\"/></adaptors>");
    ASSERT_TRUE(qx_ReadEnvironmentList(list_));
    ASSERT_TRUE(qx_ReadEnvironmentList(list_));
    EXPECT_EQ(2, list_.Count());
}

// Each file: what the reader answers; none of them adds a module.
struct FileCase {
    const char* label;
    const char* text;  // null: no file at all
    bool result;
};

class ModuleFiles : public EnvironmentModulesTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(ModuleFiles, AnswerWithoutModules) {
    const FileCase& c = GetParam();
    if (c.text) WriteModules(c.text);
    EXPECT_EQ(c.result, qx_ReadEnvironmentList(list_)) << c.label;
    EXPECT_EQ(0, list_.Count()) << c.label;
    EXPECT_TRUE(messages_.Texts().empty()) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Files, ModuleFiles,
                         ::testing::Values(FileCase{"missing", nullptr, false}, FileCase{"empty", "", false},
                                           FileCase{"truncated", "<adaptors><m name=\"A\" mod", false},
                                           FileCase{"unclosed root", "<adaptors><m name=\"A\" module=\"a\"/>", false},
                                           FileCase{"empty root", "<adaptors/>", true},
                                           FileCase{"other root", "<modules><m name=\"A\" module=\"a\"/></modules>",
                                                    true}));

TEST_F(EnvironmentModulesTest, ModuleWithoutAnAttributeStopsTheReading) {
    for (const char* broken : {"<m module=\"b\"/>", "<m name=\"B\"/>"}) {
        WriteModules(std::string("<adaptors><m name=\"A\" module=\"a\"/>") + broken +
                     "<m name=\"C\" module=\"c\"/></adaptors>");
        EXPECT_FALSE(qx_ReadEnvironmentList(list_)) << broken;
        ASSERT_EQ(1, list_.Count()) << broken;
        EXPECT_EQ(At(0).name, L"A");
        TearDown();
        SetUp();
    }
}

}  // namespace
