# SQLite from the amalgamation that the setup step unpacks once for both targets.
set(VORLEN_DEPS ${CMAKE_BINARY_DIR}/deps CACHE PATH "Folder holding sqlite3/sqlite3.c")
set(SQLITE_DIR ${VORLEN_DEPS}/sqlite3)
if(NOT EXISTS ${SQLITE_DIR}/sqlite3.c)
  message(FATAL_ERROR "The SQLite amalgamation is missing from ${SQLITE_DIR}: run `make` at the repository root.")
endif()
add_library(sqlite3 STATIC ${SQLITE_DIR}/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${SQLITE_DIR})
target_compile_definitions(sqlite3
  PUBLIC
    SQLITE_DEFAULT_PAGE_SIZE=4096
    # Temporary tables and indices never reach the disk, so nothing of an
    # enciphered database can leak into a plain temporary file.
    SQLITE_TEMP_STORE=3
    SQLITE_OMIT_LOAD_EXTENSION
    # No connection maps the file unless it asks: only the search's warm-up
    # of a plain file does. The cipher's files hand out no mapped pages, as
    # those would bypass the page layer underneath the engine.
    SQLITE_DEFAULT_MMAP_SIZE=0
    SQLITE_MAX_MMAP_SIZE=0x7fff0000
  PRIVATE
    SQLITE_OMIT_DEPRECATED
    # Overflow pages of a plain file would otherwise be read past the page
    # cache, so the search's cache would keep only the first page of each
    # card with a long text and read the rest from the file on every search.
    SQLITE_DIRECT_OVERFLOW_READ=0
    SQLITE_DEFAULT_WAL_SYNCHRONOUS=1)
target_compile_options(sqlite3 PRIVATE -w)

# GoogleTest from Debian's sources, built by the cross compiler.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
