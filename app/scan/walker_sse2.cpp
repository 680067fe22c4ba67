// The walk built with SSE2 searches.  The 32-bit build targets processors
// without SSE2 everywhere else; here the walk's own functions (and only
// they: everything they use was defined above the switch) are built for
// SSE2, and the scanner calls them only after the processor said it has it.
#include "scan/walker.h"

#include <emmintrin.h>

#if defined(__i386__) && !defined(__SSE2__)
#pragma GCC target("sse2")
#endif

#define LEX_WALK_SSE2 1
#define LEX_WALK_FACTORY MakeSse2Walker
#include "scan/walker_body.h"
