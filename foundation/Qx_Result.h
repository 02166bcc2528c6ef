#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_WString.h"
#include <vector>

// One message of a result: a message id, where it was raised and its text.
struct QX_API Qx_ResultMsg {
    long id = 0;
    Qx_WString source;
    int line = 0;
    Qx_WString text;
    int flags = 0;
};

// The outcome of an operation: a code (0: success) and the messages gathered on the way.
class QX_API Qx_Result {
public:
    Qx_Result();
    explicit Qx_Result(long code);
    Qx_Result(const Qx_Result& other);
    Qx_Result(Qx_Result&& other) noexcept;
    Qx_Result& operator=(const Qx_Result& other);
    Qx_Result& operator=(Qx_Result&& other) noexcept;
    ~Qx_Result();

    long GetCode() const { return code_; }
    void SetCode(long code) { code_ = code; }

    // Adds a message. A result that still reads success takes the message id as its code
    // (or -1 when the id is 0), so a result with a message never reads as success.
    void AddMsg(long id, const wchar_t* source, int line, const wchar_t* text, int flags = 0);
    int GetMsgCount() const { return static_cast<int>(msgs_.size()); }
    // Null when index is out of range.
    const Qx_ResultMsg* GetMsg(int index) const;
    // Null when there is no message.
    const Qx_ResultMsg* GetLastMsg() const;

private:
    long code_;
    std::vector<Qx_ResultMsg> msgs_;
};

// Renders a result's messages as one text for the user.
class QX_API Qx_MsgView {
public:
    // Every message on a line of its own, in order. A result without messages renders as
    // "Error code N." when its code is not 0 and as the empty text when it is 0.
    // codePage, flags, separator, quoteFlag and quote are accepted for callers that pass
    // them; the layout does not depend on them.
    static void GetMsgStr(unsigned codePage, Qx_WString& out, const Qx_Result& result, int flags = 0,
                          wchar_t separator = L',', int quoteFlag = 0, wchar_t quote = L'"');
};
