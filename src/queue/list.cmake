# SPDX-License-Identifier: MIT
target_sources(muralo_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/QueueRowMoves.h ${CMAKE_CURRENT_LIST_DIR}/QueueRowMoves.cpp)
target_sources(muralo_gui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/QueueListView.h ${CMAKE_CURRENT_LIST_DIR}/QueueListView.cpp)
