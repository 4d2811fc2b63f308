# Settings every target of the project shares: the language standard and the
# warnings. Link against varnelo_options instead of setting flags per target.
add_library(varnelo_options INTERFACE)
target_compile_features(varnelo_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(varnelo_options INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor>)
# Includes are root-relative: #include "web/web_request.h".
target_include_directories(varnelo_options INTERFACE ${PROJECT_SOURCE_DIR})

if(VARNELO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
