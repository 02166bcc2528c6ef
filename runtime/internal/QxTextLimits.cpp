#include "runtime/internal/QxTextLimits.h"

Qx_WString QxCutText(const Qx_WString& text, int max) {
    if (text.GetLength() <= max) return text;
    Qx_WString mark;
    mark.Format(L" [... %d more characters]", text.GetLength());  // an upper bound, replaced below
    const int keep = max > mark.GetLength() ? max - mark.GetLength() : 0;
    mark.Format(L" [... %d more characters]", text.GetLength() - keep);
    Qx_WString out(text.c_str(), keep);
    out += mark;
    return out;
}

void QxCutMessages(Qx_WStrList& messages) {
    const int count = messages.Count();
    if (count == 0) return;
    Qx_WStrList kept;
    const int shown = count > kMaxReplyMessages ? kMaxReplyMessages - 1 : count;
    for (int i = 0; i < shown; ++i) kept.Add(QxCutText(Qx_WString(messages.GetItemNN(i)), kMaxReplyMessage).c_str());
    if (shown < count) {
        Qx_WString more;
        more.Format(L"[... %d more messages]", count - shown);
        kept.Add(more.c_str());
    }
    messages = kept;
}
