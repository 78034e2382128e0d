# Debian's clang 14 for WebAssembly with the WASI system interface (packages
# wasi-libc, libc++-14-dev-wasm32, libc++abi-14-dev-wasm32 and
# libclang-rt-14-dev-wasm32), and binaryen's wasm-opt, which lets the module
# wait for input in a browser. The module runs under Node through
# web/module/run-node.mjs, the same WASI layer that the page uses, and so do the tests.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
# No link test of a shared library: WASI has none.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Only the WASI headers: clang's default search path goes on to
# /usr/local/include and /usr/include, the build machine's own. libc++ first,
# then clang's own headers, then the C library's, as clang orders them. These
# are part of the compiler command, so no CXXFLAGS a user sets can lose them;
# the link line, which compiles nothing, carries them unused.
set(wasi --target=wasm32-wasi -nostdlibinc -idirafter /usr/include/wasm32-wasi
         -Wno-unused-command-line-argument)
set(CMAKE_C_COMPILER clang-14 ${wasi})
set(CMAKE_CXX_COMPILER clang++-14 ${wasi} -isystem /usr/include/wasm32-wasi/c++/v1)
# No debug sections (libc++'s would make the module four times larger).
set(CMAKE_EXE_LINKER_FLAGS_INIT -s)

find_program(WASM_OPT wasm-opt REQUIRED DOC "binaryen's optimiser, which adds the asyncify pass")
find_program(NODE node DOC "Node.js, which runs the tests")
if(NODE)
  get_filename_component(source_root ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NODE} ${source_root}/web/module/run-node.mjs)
endif()
