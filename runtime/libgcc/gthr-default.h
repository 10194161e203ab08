/* The win32 thread model, as the compilers are configured. */
#include "config/i386/gthr-win32.h"
