# The hardening a distribution asks of a program it ships (its package
# checker reports each one missing): bounds-checked string and memory
# functions, stack canaries, read-only relocations bound at start, and a
# position-independent program. Set before any target is made, so that the
# program, its window module and everything linked into them get it.
option(MOKUJI_HARDENING "Build with the distribution's hardening flags" ON)
# The sanitizers and the fuzzer watch memory themselves, and the checked
# functions would hide accesses from them.
if(NOT MOKUJI_HARDENING OR MOKUJI_SANITIZE OR MOKUJI_FUZZ)
    return()
endif()

# The checked functions need the optimiser; a compiler that defines the
# macro itself (as some distributions' do) would warn at a second value.
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
                    -fstack-protector-strong)
add_link_options(LINKER:-z,relro,-z,now)
# CMAKE_POSITION_INDEPENDENT_CODE then links the program with -pie too.
include(CheckPIESupported)
check_pie_supported()
