// Texts of the input errors, shared by both implementations.
#include "Check/inputfile.h"

namespace lex {

const char *InputErrorText(InputError error)
{
    switch (error) {
    case InputError::None: return "no error";
    case InputError::NotFound: return "file not found";
    case InputError::CannotOpen: return "cannot be opened for reading";
    case InputError::TooLarge: return "file too large (2 GiB or more)";
    case InputError::NoMemory: return "not enough memory to hold the file";
    case InputError::ShortRead: return "could not be read in full";
    case InputError::Stopped: return "reading was stopped";
    }
    return "unknown error";
}

} // namespace lex
