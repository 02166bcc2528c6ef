#pragma once
#include "platform/QxExport.h"

// A test hook: makes a later allocation of the member list reader fail as memory running
// out would, so that what a failed read leaves behind can be checked. After the call, the
// step-th place where the reader allocates (creating a record, taking an attribute,
// adding a record, placing the objects read) throws std::bad_alloc, once; 0 turns the
// fault off. Answers how many such places the reads since the previous call passed.
QX_API int QxSetMemberListFault(int step);

// Called by the reader before each allocation. Internal.
void QxMemberListStep();
