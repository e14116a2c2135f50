# The patch script: its text (portable) and the writer over the Win32 API.
target_sources(brivok_portable PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PatchScript.cpp)
if(BRIVOK_WIN32)
    target_sources(brivok_win PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PatchScriptWriter.cpp)
endif()
