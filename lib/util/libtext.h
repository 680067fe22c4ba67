// The library's loader of its own messages.
#pragma once

// Loads message `id` of the library's string table into one shared static
// buffer of 1,024 bytes and returns it; the next call overwrites it.  A
// message that does not exist gives the empty text.
const char *LoadLibText(unsigned id);

// Message `id` as a constant text: loaded once into a buffer of its own
// that no later call changes, for texts that exports hand out as constants
// (the display names of unknown codes).  Meant for a handful of messages;
// past them it gives the empty text.
const char *ConstantLibText(unsigned id);
