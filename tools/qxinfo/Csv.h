#pragma once
#include "QxQVInfo320U.h"
#include <string>

// Reads a CSV file (UTF-8 or the ANSI code page; first line: column names; fields may be
// quoted with "" for a quote inside) into dataset as string columns. False with why set
// when the file cannot be read or a quote is left open.
bool QxReadCsvDataset(const std::wstring& path, Qx_Dataset& dataset, std::wstring& why);
