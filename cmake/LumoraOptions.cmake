# Compiler settings shared by every target of the tree.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

add_compile_options(-Wall -Wextra)

if(LUMORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(LUMORA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fsanitize-coverage-ignorelist=${PROJECT_SOURCE_DIR}/fuzz/coverage-ignore.txt)
  add_link_options(-fsanitize=address,undefined)
endif()

# Adds a static library for one subsystem folder. Sources are every .cpp below
# the folder, so a new unit needs no edit here.
function(lumora_library name folder)
  file(GLOB_RECURSE _sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
endfunction()

# Precompiled Qt headers, shared by the libraries and the tests.
function(lumora_pch target)
  target_precompile_headers(${target} PRIVATE
    <QString> <QByteArray> <QList> <QImage> <QPainter> <QColor> <QFont>
    <vector> <memory> <string> <cstdint> <cmath>)
endfunction()
