# Strict warnings on every target of ours, from the first commit.
function(vandrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
                         -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wpedantic)
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                             QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
endfunction()

# CMake 3.25 with Ninja does not re-run moc for a source file that a glob added after the
# first build; dropping the stamp at each configure makes autogen look again (cheaply).
function(vandrel_autogen_refresh target)
  file(REMOVE "${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp")
endfunction()
