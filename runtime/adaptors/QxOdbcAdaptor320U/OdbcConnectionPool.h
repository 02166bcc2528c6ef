#pragma once
// Connections kept open between the jobs of a process that keeps the module loaded (the
// service server does): opening a connection to a database server costs a login each time,
// tens of milliseconds with PostgreSQL's password hashing. A connection goes back only
// clean (its transaction rolled back, auto-commit on), is taken only by a job that opens the
// very same connection string (credentials included), and is closed after a stated idle time.
#include "OdbcHandles.h"
#include <string>

// A connection opened with key, taken from the pool; empty when none waits. Connections
// idle for longer than idleSeconds are closed on the way.
OdbcConnection OdbcPoolTake(const std::wstring& key, long idleSeconds);
// Hands a connection back for later jobs; it is closed instead when it cannot be made
// clean or the pool is full.
void OdbcPoolGive(const std::wstring& key, OdbcConnection connection);
