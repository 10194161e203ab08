/* The unwinder's Windows part: through system exception frames. */
#include "config/i386/w32-unwind.h"
