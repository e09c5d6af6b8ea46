#pragma once
// The diagnostic log. Text written before a log file is known gathers in memory and goes to
// the file when it opens; the file holds the thread's ANSI code page with CR LF line ends.
// Nothing here reports a failure: a log that cannot be written never changes a result.
#include <string>

// Writes `text` (up to its first zero character) to the log file, or to the buffer while no
// file is open.
void WriteLog(const std::wstring& text);
void WriteLog(const wchar_t* text);

// Formats printf-style (framework/Format.h: "%s" is a wide string) and writes the result.
void WriteLogFormat(const wchar_t* format, ...);

// Directs the log to the file at `ansiPath` (thread ANSI code page). The same path as the open
// file changes nothing; another path closes the open file and starts the new one empty. The
// buffered text is written first. A file that cannot be opened leaves the log closed.
void OpenLogFile(const std::string& ansiPath);

// Reopens the last log file for appending when the log is closed.
void ReopenLogFile();

// Closes the log file when it is open.
void CloseLogFile();
