/* What a compiler build generates for libgcc, cut to what the unwinder
   needs on i686 Windows; the compiler defines the rest itself when given
   -fbuilding-libgcc. */
#define USED_FOR_TARGET
