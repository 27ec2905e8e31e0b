# Warnings are errors in the project's own code; third-party code is built without them.
function(tallyra_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor
    -Wimplicit-fallthrough -Werror)
  # Results must not depend on the compiler fusing a multiply and an add.
  target_compile_options(${target} PRIVATE -ffp-contract=off)
endfunction()
