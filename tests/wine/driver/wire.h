// The driver's line protocol and the text conversions at its edge.
//
// A request is one line of tab-separated fields, the command first. A reply
// is zero or more record lines "=\tfield\tfield…" and then "ok" or
// "error\tmessage". Fields are UTF-8 with "\\", "\t", "\n" and "\r"
// escaped, so that any window text fits on one line.
#pragma once

#include <string>
#include <vector>

namespace wire {

using Fields = std::vector<std::string>;
using Records = std::vector<Fields>;

std::string Escape(const std::string& field);
Fields SplitRequest(const std::string& line);
std::string FormatRecord(const Fields& fields);

// UTF-8 on the wire; the windows speak UTF-16 or the ANSI code page (932).
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::string Utf8ToAnsi(const std::string& text);
std::string AnsiToUtf8(const std::string& text);

}  // namespace wire
