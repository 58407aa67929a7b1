# The three program builds share one source tree; a compile definition selects the build.
function(zorb_variant_definitions target variant)
    if(variant STREQUAL "Avx")
        target_compile_definitions(${target} PUBLIC ZORB_BUILD_AVX=1)
    elseif(variant STREQUAL "Sse")
        target_compile_definitions(${target} PUBLIC ZORB_BUILD_SSE2=1)
    elseif(variant STREQUAL "Scalar")
        target_compile_definitions(${target} PUBLIC ZORB_BUILD_SCALAR=1)
    else()
        message(FATAL_ERROR "unknown build variant ${variant}")
    endif()
endfunction()

# Program file name of each build.
set(ZORB_PROGRAM_Avx newZorb)
set(ZORB_PROGRAM_Sse newZorbReleaseSSE)
set(ZORB_PROGRAM_Scalar newZorbReleaseScalar)
