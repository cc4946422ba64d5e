// Seams that let the test suite observe what would otherwise need a person or
// end the process. Not part of the exported interface.
#pragma once

namespace vok::testing {

// Answers the message-box question instead of the platform: gets the text,
// the title and the button set (0 Yes/No, 1 OK/Cancel, 2 OK), returns true
// for the first button.
using BoxResponder = bool (*)(const char* text, const char* title, int buttons);

BoxResponder boxResponder();
void setBoxResponder(BoxResponder responder);

// Makes the n-th library allocation from now on fail (1 = the next one);
// 0 switches injection off.
void failAllocationAfter(int n);
// Makes 'count' allocations in a row fail, the first of them the n-th from
// now: reaches the paths that retry once after releasing their caches.
void failAllocationsAfter(int n, int count);

}  // namespace vok::testing
