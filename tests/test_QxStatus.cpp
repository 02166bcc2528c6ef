#include <gtest/gtest.h>

#include "platform/QxStatus.h"

#include <set>
#include <string>
#include <vector>

namespace {

const QxCode kEveryFailure[] = {
    QxCode::kTimeout,    QxCode::kClosed,      QxCode::kStopped,     QxCode::kBusy,          QxCode::kBadFrame,
    QxCode::kTooLarge,   QxCode::kOutOfMemory, QxCode::kMalformed,   QxCode::kBadInput,      QxCode::kNotReady,
    QxCode::kNotFound,   QxCode::kReadFailed,  QxCode::kWriteFailed, QxCode::kNotWellFormed, QxCode::kMissingAttribute,
    QxCode::kResultCode, QxCode::kSystem,
};

TEST(QxStatus, OnlyKOkIsOk) {
    EXPECT_TRUE(QxStatus().ok());
    EXPECT_EQ(QxStatus().code(), QxCode::kOk);
    EXPECT_EQ(QxStatus().number(), 0);
    EXPECT_TRUE(QxStatus().reason().empty());
    std::set<std::string> names{QxCodeName(QxCode::kOk)};
    for (QxCode code : kEveryFailure) {
        const QxStatus status(code, L"why", 7);
        EXPECT_FALSE(status.ok()) << QxCodeName(code);
        EXPECT_EQ(status.code(), code);
        EXPECT_EQ(status.number(), 7);
        EXPECT_EQ(status.reason(), L"why");
        EXPECT_TRUE(names.insert(QxCodeName(code)).second) << "one name per code: " << QxCodeName(code);
    }
    EXPECT_EQ(names.count("?"), 0u);
}

// Each maker keeps the number it was given or read, and words it as the system does.
TEST(QxStatus, MakersCarryTheSystemsNumberAndMessage) {
    const std::wstring notFound = QxSystemErrorLine(ERROR_FILE_NOT_FOUND);
    const std::wstring denied = QxSystemErrorLine(ERROR_ACCESS_DENIED);
    const std::wstring refused = QxSystemErrorLine(WSAECONNREFUSED);
    ASSERT_NE(notFound, L"error 2") << "the system has a message for ERROR_FILE_NOT_FOUND";
    ASSERT_NE(refused, L"error 10061") << "the system has a message for WSAECONNREFUSED";

    SetLastError(ERROR_ACCESS_DENIED);
    const QxStatus lastError = QxStatus::FromLastError(L"writing a.txt", QxCode::kWriteFailed);
    WSASetLastError(WSAECONNREFUSED);
    const QxStatus wsaError = QxStatus::FromWsaError(L"connecting");
    struct Case {
        const char* label;
        QxStatus status;
        QxCode code;
        long number;
        std::wstring reason;
    } cases[] = {
        {"Win32 code", QxStatus::FromSystemError(ERROR_FILE_NOT_FOUND, L"opening a.txt"), QxCode::kSystem,
         ERROR_FILE_NOT_FOUND, L"opening a.txt: " + notFound},
        {"Win32 code without context", QxStatus::FromSystemError(ERROR_FILE_NOT_FOUND, nullptr), QxCode::kSystem,
         ERROR_FILE_NOT_FOUND, notFound},
        {"code without a message", QxStatus::FromSystemError(0x2FFFFFFF, L""), QxCode::kSystem, 0x2FFFFFFF,
         L"error 805306367"},
        {"GetLastError", lastError, QxCode::kWriteFailed, ERROR_ACCESS_DENIED, L"writing a.txt: " + denied},
        {"WSAGetLastError", wsaError, QxCode::kSystem, WSAECONNREFUSED, L"connecting: " + refused},
        {"HRESULT of a Win32 code", QxStatus::FromHResult(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), L"loading"),
         QxCode::kSystem, static_cast<long>(0x80070002), L"loading: " + notFound},
        {"HRESULT without a message",
         QxStatus::FromHResult(static_cast<HRESULT>(0x8FFF1234), L"parsing", QxCode::kNotWellFormed),
         QxCode::kNotWellFormed, static_cast<long>(0x8FFF1234), L"parsing: error 0x8FFF1234"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.status.ok()) << c.label;
        EXPECT_EQ(c.status.code(), c.code) << c.label;
        EXPECT_EQ(c.status.number(), c.number) << c.label;
        EXPECT_EQ(c.status.reason(), c.reason) << c.label;
    }
}

TEST(QxStatus, AMessageIsOneLine) {
    const QxStatus status = QxStatus::FromHResult(E_OUTOFMEMORY, L"reading");
    EXPECT_EQ(status.reason().find_first_of(L"\r\n"), std::wstring::npos) << status.reason();
    EXPECT_EQ(status.reason(), L"reading: " + QxSystemErrorLine(ERROR_OUTOFMEMORY));
}

}  // namespace
