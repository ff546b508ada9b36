# Joins the files that LIST names (one CMake list) into OUTPUT, in order.
file(READ "${LIST}" files)
file(WRITE "${OUTPUT}.part" "")
foreach(f IN LISTS files)
  file(READ "${f}" content)
  file(APPEND "${OUTPUT}.part" "${content}")
endforeach()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
