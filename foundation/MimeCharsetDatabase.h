#pragma once

// The code page that the system's MIME character-set database
// (HKEY_LOCAL_MACHINE\SOFTWARE\Classes\MIME\Database\Charset) gives a charset name: the
// entry of that name, whatever its letter case, its aliases ("AliasForCharset") followed,
// answers with its "InternetEncoding", else its "Codepage". 0 when the database lacks the
// name, cannot be read, or its aliases run in a circle or too far. Internal to the library.
unsigned QxMimeCharsetCodePage(const wchar_t* charsetName);
