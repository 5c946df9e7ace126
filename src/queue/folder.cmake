# SPDX-License-Identifier: MIT
target_sources(muralo_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FolderQueue.h ${CMAKE_CURRENT_LIST_DIR}/FolderQueue.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/TFileThread.h ${CMAKE_CURRENT_LIST_DIR}/TFileThread.cpp)
