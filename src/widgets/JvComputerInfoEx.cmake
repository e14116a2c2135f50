# The system-information component (only its temporary-files folder is used).
if(BRIVOK_WIN32)
    target_sources(brivok_win PRIVATE ${CMAKE_CURRENT_LIST_DIR}/JvComputerInfoEx.cpp)
endif()
