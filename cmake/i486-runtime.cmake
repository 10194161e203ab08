# The run-time support of the release programs, built for the i486: the
# toolchain's own is built for a Pentium Pro. The C++ support library
# (exceptions, type information, operator new) and the exception unwinder
# come from the compiler's own sources, Debian's gcc-N-source of the same
# major version N as the i686 MinGW compiler; the start-up, the emulated
# thread-local storage, the terminate handler and the C library's functions
# the programs call are our own (runtime/), so that they need no C run-time
# DLL.
# The sources are unpacked and compiled once per build directory.
string(REGEX MATCH "^[0-9]+" gcc_major "${CMAKE_CXX_COMPILER_VERSION}")
file(GLOB gcc_archives /usr/src/gcc-${gcc_major}/gcc-${gcc_major}.*.tar.xz)
set(gcc_archive "")
if(gcc_archives)
  list(SORT gcc_archives)
  list(GET gcc_archives -1 gcc_archive)
endif()
set(GCC_SOURCE_ARCHIVE "${gcc_archive}" CACHE FILEPATH
  "The compiler's sources, from Debian's gcc-${gcc_major}-source")
if(NOT EXISTS "${GCC_SOURCE_ARCHIVE}")
  message(FATAL_ERROR "The i486 run-time needs gcc-${gcc_major}-source, the sources of the i686 "
                      "MinGW compiler (GCC ${CMAKE_CXX_COMPILER_VERSION}): run scripts/install-deps.sh.")
endif()

# Every part of the support library but the ARM, transactional-memory and
# vtable-verification parts, the thread-exit destructors, and the verbose
# terminate handler with its demangler (TerminateHandler.cc stands in for
# it).
set(supcxx_names
  array_type_info bad_alloc bad_array_length bad_array_new bad_cast bad_typeid
  class_type_info del_op del_opa del_opant del_opnt del_ops del_opsa del_opv
  del_opva del_opvant del_opvnt del_opvs del_opvsa dyncast eh_alloc
  eh_aux_runtime eh_call eh_catch eh_exception eh_globals eh_personality eh_ptr
  eh_term_handler eh_terminate eh_throw eh_type eh_unex_handler enum_type_info
  function_type_info fundamental_type_info guard guard_error hash_bytes
  nested_exception new_handler new_op new_opa new_opant new_opnt new_opv
  new_opva new_opvant new_opvnt pbase_type_info pmem_type_info
  pointer_type_info pure si_class_type_info tinfo tinfo2 vec
  vmi_class_type_info)
set(gcc_dir ${CMAKE_BINARY_DIR}/gcc-runtime)
set(supcxx_sources ${supcxx_names})
list(TRANSFORM supcxx_sources PREPEND ${gcc_dir}/libstdc++-v3/libsupc++/)
list(TRANSFORM supcxx_sources APPEND .cc)
# The DWARF unwinder with the headers it takes from the compiler's tree.
set(unwind_sources ${gcc_dir}/libgcc/unwind-dw2.c ${gcc_dir}/libgcc/unwind-dw2-fde.c)
set(unwind_headers
  libgcc/unwind-pe.h libgcc/unwind-dw2.h libgcc/unwind-dw2-fde.h libgcc/unwind.inc
  libgcc/gthr.h libgcc/config/i386/w32-unwind.h libgcc/config/i386/gthr-win32.h
  gcc/tsystem.h gcc/coretypes.h include/ansidecl.h include/dwarf2.def
  include/dwarf2.h include/filenames.h include/getopt.h include/hashtab.h)
set(unpacked ${unwind_headers})
list(TRANSFORM unpacked PREPEND ${gcc_dir}/)
list(APPEND unpacked ${supcxx_sources} ${unwind_sources})
list(TRANSFORM unwind_headers PREPEND "*/")
# -m: the files are as new as their unpacking, so they count as up to date.
add_custom_command(
  OUTPUT ${unpacked}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${gcc_dir}
  COMMAND tar -xJmf ${GCC_SOURCE_ARCHIVE} -C ${gcc_dir} --strip-components=1 --wildcards
          "*/libstdc++-v3/libsupc++/*" "*/libgcc/unwind-dw2.c" "*/libgcc/unwind-dw2-fde.c"
          ${unwind_headers}
  DEPENDS ${GCC_SOURCE_ARCHIVE}
  COMMENT "Unpacking the compiler's run-time sources"
  VERBATIM)

# Built as the compiler's own build builds them (-O2, and libgcc's
# definitions); their warnings are not ours to fix.
add_library(i486_unwind STATIC ${unwind_sources})
target_include_directories(i486_unwind PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/runtime/libgcc ${gcc_dir}/libgcc ${gcc_dir}/gcc ${gcc_dir}/include)
target_compile_definitions(i486_unwind PRIVATE IN_GCC IN_LIBGCC2)
target_compile_options(i486_unwind PRIVATE -O2 -w -fbuilding-libgcc -fexceptions -fno-stack-protector)

add_library(i486_runtime STATIC
  ${supcxx_sources}
  runtime/EmuTls.c
  runtime/TerminateHandler.cc)
target_include_directories(i486_runtime PRIVATE ${gcc_dir}/libgcc)
set_target_properties(i486_runtime PROPERTIES CXX_EXTENSIONS ON)
target_compile_options(i486_runtime PRIVATE -O2 -w)
target_link_libraries(i486_runtime PUBLIC i486_unwind)

# The C library's functions over KERNEL32: memory, strings, output to the
# standard handles. Linked as objects, so that they come before every
# library, MinGW's import library of the C run-time DLL included; the
# release check refuses any import of that DLL. The tests keep the system's
# C library: they compare our formatting with its own.
add_library(i486_clib OBJECT runtime/Console.c runtime/Heap.c runtime/Strings.c)
target_compile_options(i486_clib PRIVATE -O2 -fno-builtin)
# Else gcc would turn the loops of the string functions into calls to them.
set_source_files_properties(runtime/Strings.c PROPERTIES COMPILE_OPTIONS -fno-tree-loop-distribute-patterns)

# The start-up object. The compiler driver looks for crt2.o in the
# directories given with -B before its own, so the release programs link
# ours, in the place of MinGW's: first, ahead of the constructor and frame
# tables of crtbegin.o.
add_library(i486_startup OBJECT runtime/Startup.c)
set(I486_STARTFILES ${CMAKE_BINARY_DIR}/startfiles)
add_custom_command(
  OUTPUT ${I486_STARTFILES}/crt2.o
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_OBJECTS:i486_startup> ${I486_STARTFILES}/crt2.o
  DEPENDS i486_startup $<TARGET_OBJECTS:i486_startup>
  VERBATIM)
add_custom_target(i486_startfiles DEPENDS ${I486_STARTFILES}/crt2.o)

# link_i486_runtime TARGET: TARGET starts with the start-up above, takes
# the C library's functions from ours, and must do without run-time
# pseudo-relocations, whose handler is MinGW's. (The framework links the
# C++ run-time, so that it comes after every library of ours on the
# command line.)
function(link_i486_runtime target)
  add_dependencies(${target} i486_startfiles)
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:i486_clib>)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${I486_STARTFILES}/crt2.o)
  target_link_options(${target} PRIVATE -B${I486_STARTFILES}/ -Wl,--disable-runtime-pseudo-reloc)
endfunction()
