#pragma once
// The program's UTF-8 texts for a person who started the program from a console, a
// script or a shortcut. A short text needs no heap: the fault report writes through
// here after the heap has failed.
#include <cstddef>

// Writes the text to a standard handle. A console takes it through its own Unicode
// output, so it reads right whatever code page the console is set to; a file or a
// pipe gets it in the system's code page, as batch files have always read it, with
// "?" for what that code page cannot hold. False when nothing could be written.
bool WriteToHandle(void* handle, const char* text, size_t size);

// UTF-8 into a buffer of the caller's, without the heap (the fault report comes here
// after the heap may have failed): as many whole characters as fit, terminated; a
// text that does not fit ends with a line that says it was cut.
void WideInto(const char* utf8, wchar_t* out, size_t capacity);

// How long a box for a run that nobody may be watching stays up.
constexpr unsigned kUnwatchedBoxMs = 30000;

// A message box that closes by itself after `ms`, for a run started with no console
// and no standard handles (a shortcut, a scheduled task): a person sees it, and an
// unattended run does not wait on it for ever.
void ShowSelfClosingBox(const char* text, const char* title, unsigned style, unsigned ms);
