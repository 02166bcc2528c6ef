#include "support/MessageRecorder.h"
#include "platform/QxWin.h"

namespace {
QxMessageRecorder* g_recorder = nullptr;
}

QxMessageRecorder::QxMessageRecorder() : previous_(AfxSetMessageSink(&QxMessageRecorder::Record)) { g_recorder = this; }

QxMessageRecorder::~QxMessageRecorder() {
    g_recorder = nullptr;
    AfxSetMessageSink(previous_);
}

int QxMessageRecorder::Record(const wchar_t* text, unsigned type) {
    if (g_recorder) {
        g_recorder->texts_.push_back(text ? text : L"");
        g_recorder->types_.push_back(type);
    }
    return IDOK;
}
