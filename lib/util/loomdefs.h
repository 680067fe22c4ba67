/* What the library's public headers share, in C and C++ alike: the pinning
   of record layouts at compile time. */
#pragma once

#ifdef __cplusplus
#define LOOM_STATIC_ASSERT static_assert
#else
#define LOOM_STATIC_ASSERT _Static_assert
#endif
