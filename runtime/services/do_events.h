// DoEvents: the thread's pending messages processed once, as a step of a long task lets the program go on.
// Apart from forms, so that a control library that shows none links no form.
#pragma once
#include <windows.h>

// Processes the thread's pending messages once, each first through the program's forms.
void DoEvents();
// What DoEvents shows each message to before dispatching it; true: handled. The forms set it.
void SetMessagePreview(bool (*preview)(MSG& msg));
