#include <gtest/gtest.h>
#include "ServerLog.h"
#include "support/TestFiles.h"
#include "platform/QxHandle.h"
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <chrono>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace {

// Whole lines from several threads: each comes out once, unmixed, in its thread's order.
TEST(ServerLogTest, LinesOfSeveralThreadsComeOutWholeAndInOrder) {
    TempDir temp;
    const std::wstring path = temp.File(L"log.txt");
    FILE* stream = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(stream, nullptr);
    {
        ServerLog log(stream);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&log, t] {
                for (int i = 0; i < 500; ++i)
                    log.Write("thread " + std::to_string(t) + " line " + std::to_string(i) + " " +
                              std::string(40, 'x') + "\n");
            });
        for (std::thread& t : threads) t.join();
        log.Flush();
        std::istringstream lines(ReadBytes(path));
        std::map<int, int> next;
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count) {
            int thread = -1, index = -1;
            ASSERT_EQ(sscanf(line.c_str(), "thread %d line %d", &thread, &index), 2) << line;
            EXPECT_EQ(line.size(), line.find(' ', line.find("line ") + 5) + 41) << line;
            EXPECT_EQ(index, next[thread]++) << line;
        }
        EXPECT_EQ(count, 2000) << "every line is out after Flush";
    }
    fclose(stream);
}

// The lines that notes of the log say were dropped; a note follows each run of drops.
size_t DroppedLines(const std::string& log) {
    size_t dropped = 0;
    for (size_t note = log.find(" log lines were dropped"); note != std::string::npos;
         note = log.find(" log lines were dropped", note + 1))
        dropped += std::stoul(log.substr(log.rfind('\n', note) + 1));
    return dropped;
}

// A stream that takes nothing (a pipe nobody reads) never holds up a writer: past the
// bound the lines are dropped, and once the stream takes bytes again a line says how many.
TEST(ServerLogTest, AStreamThatTakesNothingCostsDroppedLinesNotAStall) {
    QxKernelObject readEnd;
    HANDLE writeEnd = nullptr;  // the stream below owns it
    ASSERT_TRUE(CreatePipe(readEnd.Put(), &writeEnd, nullptr, 4096));
    FILE* stream = _fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_BINARY), "wb");
    ASSERT_NE(stream, nullptr);
    const int kLines = 5000;  // 5 MB of lines: five times the bound
    std::string read;
    {
        ServerLog log(stream);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kLines; ++i) log.Write("line " + std::string(1000, 'y') + "\n");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "no writer waited on the pipe";
        std::thread reader([&] {
            char piece[65536];
            DWORD got = 0;
            while (ReadFile(readEnd.Get(), piece, sizeof piece, &got, nullptr) && got > 0) read.append(piece, got);
        });
        log.Flush();
        fclose(stream);  // the reader sees the end of the pipe
        reader.join();
    }
    size_t kept = 0;
    for (size_t at = 0; (at = read.find("line ", at)) != std::string::npos; at += 5) ++kept;
    // Under load the stream may take some bytes between runs of drops: every note counts.
    const size_t dropped = DroppedLines(read);
    EXPECT_GT(dropped, 0u);
    EXPECT_EQ(kept + dropped, static_cast<size_t>(kLines));
    EXPECT_LE(kept * 1006, 2 * ServerLog::kMaxWaitingBytes + 65536) << "what waited for the stream stayed bounded";
}

}  // namespace
