#pragma once
#include "afx/AfxMessageBox.h"
#include <string>
#include <vector>

// Takes the library's message boxes for its lifetime and records their texts and types
// instead of showing them; the sink installed before comes back at the end. One at a time.
class QxMessageRecorder {
public:
    QxMessageRecorder();
    ~QxMessageRecorder();
    QxMessageRecorder(const QxMessageRecorder&) = delete;
    QxMessageRecorder& operator=(const QxMessageRecorder&) = delete;

    const std::vector<std::wstring>& Texts() const { return texts_; }
    const std::vector<unsigned>& Types() const { return types_; }
    void Clear() {
        texts_.clear();
        types_.clear();
    }

private:
    static int Record(const wchar_t* text, unsigned type);
    std::vector<std::wstring> texts_;
    std::vector<unsigned> types_;
    QxMessageSink previous_;
};
