#pragma once
// Texts that come from peers end up in replies, messages and logs; each is cut to a stated
// length, with a mark that says how much was cut, so that a peer cannot make a server or
// a host echo, show or log megabytes.
#include "foundation/Qx_WStrList.h"
#include "foundation/Qx_WString.h"

// Longest message of a reply, and the most messages a reply carries.
const int kMaxReplyMessage = 1024;
const int kMaxReplyMessages = 32;
// Longest log line.
const int kMaxLogLine = 2048;

// text itself when it has at most max characters; else its first characters followed by
// " [... N more characters]", max characters in all.
[[nodiscard]] Qx_WString QxCutText(const Qx_WString& text, int max);
// Cuts every message of the list and keeps at most kMaxReplyMessages of them, the last one
// then saying how many were left out.
void QxCutMessages(Qx_WStrList& messages);
