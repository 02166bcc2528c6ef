#pragma once
#include "platform/QxExport.h"

// Every message box of the library goes through one replaceable sink, so that a host
// without a desktop (or a test) can take the messages instead of blocking on a modal box.
// A sink answers what the box would have answered (IDOK for a box with an OK button).
typedef int (*QxMessageSink)(const wchar_t* text, unsigned type);

// Installs sink for every later message; null restores the default modal box. Answers the
// sink installed before (null when it was the default box).
QX_API QxMessageSink AfxSetMessageSink(QxMessageSink sink);

// The framework's message box: modal on the calling thread, owned by the active window,
// the text with the buttons and icon of type (0: OK alone; without an icon, OK boxes get
// the exclamation mark and yes/no boxes the question mark) under the application's title
// (the host program's file name without its extension). helpContext is accepted and not
// used: the library has no help file. Answers the button that closed the box (IDOK), or 0
// when no box could be shown.
QX_API int AfxMessageBox(const wchar_t* text, unsigned type = 0, unsigned helpContext = 0);
