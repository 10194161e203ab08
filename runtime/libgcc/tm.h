/* The target macros the unwinder takes from the compiler's i386 headers. */
#define DWARF_REG_TO_UNWIND_COLUMN(REGNO) (REGNO)
#define LIBGCC2_UNWIND_ATTRIBUTE __attribute__((target("no-mmx,no-sse")))
