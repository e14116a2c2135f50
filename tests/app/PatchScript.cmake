# Tests of the patch script: its text natively, its file under Wine.
set(BRIVOK_GOLDEN_DIR ${CMAKE_CURRENT_LIST_DIR}/golden)
if(NOT BRIVOK_WIN32)
    brivok_test(patch_script_tests
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/PatchScriptTest.cpp
        LIBS brivok_portable)
    target_compile_definitions(patch_script_tests PRIVATE
        BRIVOK_GOLDEN_DIR="${BRIVOK_GOLDEN_DIR}")
else()
    # Wine sees the host's root as drive Z:.
    brivok_test(patch_script_writer_tests
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/PatchScriptWriterTest.cpp
                ${CMAKE_CURRENT_LIST_DIR}/ComputerInfoTest.cpp
        LIBS brivok_win)
    # Stands in for bspatch.exe when cmd runs a written script.
    add_executable(patch_script_standin ${CMAKE_CURRENT_LIST_DIR}/PatchScriptStandIn.cpp)
    add_dependencies(patch_script_writer_tests patch_script_standin)
    target_compile_definitions(patch_script_writer_tests PRIVATE
        BRIVOK_GOLDEN_DIR="Z:${BRIVOK_GOLDEN_DIR}"
        BRIVOK_STANDIN="Z:$<TARGET_FILE:patch_script_standin>")
endif()
