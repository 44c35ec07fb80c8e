# Every target of ours links vorin_warnings; the count is kept at zero.
add_library(vorin_warnings INTERFACE)
target_compile_options(vorin_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)

# Qt's headers are included as system headers so that their warnings are not ours.
function(vorin_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()
