#pragma once
#include <string>

// One line on the scheduler's status channel ("DEBUG", "INFO", "ERROR", ...). The scheduler acts on
// what a line says, so the text loses every control character and is cut to a length the
// scheduler reads as one line: nothing a job or a user's file contains can start a line of its own.
void LogLine(const char* level, const std::string& text);
